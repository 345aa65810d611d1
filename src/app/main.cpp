// Program entry.
#include "app/app.h"

int main(int, char**)
{
    return brimzo_main();
}
