#include "app/SpriteApp.h"

int main(int argc, char* argv[])
{
    return theApp.Run(argc, argv);
}
