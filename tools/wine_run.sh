#!/bin/bash
# Runs a Windows program under Wine, as ctest does through CMAKE_CROSSCOMPILING_EMULATOR.
# WINEPREFIX must name a prefix made for this run (tools/windows.sh makes a fresh one for each
# suite run); Wine's own messages are off and the Mono and Gecko prompts never show.
set -eu
: "${WINEPREFIX:?set WINEPREFIX to a Wine prefix made for this run}"
export WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
