#include "viewer/IBrowserWindow.h"
