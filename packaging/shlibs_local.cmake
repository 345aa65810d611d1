# Run by CPack in the staging tree before the package is made: puts our shlibs override where
# dpkg-shlibdeps looks for it. The classic SDL 1.2 asks for libsdl1.2debian (>= 1.2.15+dfsg2);
# the compatibility layer's libsdl1.2-compat-shim provides libsdl1.2debian only at version
# 1.2.15-1, which is lower, so it is named as the alternative.
file(COPY ${CPACK_BRIMZO_SHLIBS_LOCAL} DESTINATION ${CPACK_TEMPORARY_DIRECTORY}/debian)
