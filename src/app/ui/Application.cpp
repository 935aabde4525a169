#include "app/ui/Application.h"

#include <QApplication>

int runQuillmarch(int argc, char** argv)
{
    QApplication app(argc, argv);
    return 0;
}
