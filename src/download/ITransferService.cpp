#include "download/ITransferService.h"

// The interface is a QObject for its signals; its meta-object is compiled here.
#include "moc_ITransferService.cpp"
