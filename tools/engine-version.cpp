// Writes the header that names the browser engine's versions, so code that must spell the
// engine's User-Agent can do so without loading the engine's libraries.
//   engine-version OUTPUT
#include <QtWebEngineCore/qtwebenginecoreglobal.h>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    std::FILE* out = std::fopen(argv[1], "w");
    if (!out)
        return 1;
    std::fprintf(out,
        "#pragma once\n\n"
        "// The browser engine the program was built with (written by tools/engine-version).\n"
        "namespace EngineVersion\n{\n"
        "inline constexpr char kWebEngine[] = \"%s\";\n"
        "inline constexpr char kChromium[] = \"%s\";\n"
        "} // namespace EngineVersion\n",
        qWebEngineVersion(), qWebEngineChromiumVersion());
    return std::fclose(out) == 0 ? 0 : 1;
}
