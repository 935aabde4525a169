#include <cstdio>

int main()
{
    std::puts("quillmarch-cli");
    return 0;
}
