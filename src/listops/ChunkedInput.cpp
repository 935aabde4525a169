#include "listops/ChunkedInput.h"

#include <QIODevice>

namespace
{
constexpr qint64 ChunkSize = 64 * 1024;
}

bool ChunkedInput::fill(QIODevice& device)
{
    if (pos < buffer.size())
        return true;
    if (eof)
        return false;
    buffer.resize(ChunkSize);
    const qint64 got = device.read(buffer.data(), ChunkSize);
    pos = 0;
    if (got <= 0) {
        buffer.clear();
        eof = true;
        readError = got < 0;
        return false;
    }
    buffer.truncate(got);
    return true;
}

void ChunkedInput::close()
{
    buffer.clear();
    pos = 0;
    eof = true;
}
