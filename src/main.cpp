#include "app/ui/Application.h"

int main(int argc, char** argv)
{
    return runQuillmarch(argc, argv);
}
