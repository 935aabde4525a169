#include "download/IAria2Rpc.h"

// The interface is a QObject for its signal; its meta-object is compiled here.
#include "moc_IAria2Rpc.cpp"
