#include "download/IDownloadJob.h"

// The interface is a QObject for its signals; its meta-object is compiled here.
#include "moc_IDownloadJob.cpp"
