// Picture measuring benchmark, run by bench/picture_bench.sh against a local server:
//   picture_bench LIST_FILE CACHE_FOLDER
// prints the time until the first screen of thumbnails (24 tiles) is there, the time until
// every picture's size is known, and the resident memory of a picture view's model over
// 10 000 entries.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "listops/LinkList.h"
#include "pictures/PictureFetcher.h"
#include "pictures/PictureGridModel.h"
#include "platform/curl/CurlTransferService.h"

namespace
{

long residentKiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: picture_bench LIST_FILE CACHE_FOLDER\n");
        return 2;
    }
    QFile listFile(QString::fromLocal8Bit(argv[1]));
    if (!listFile.open(QIODevice::ReadOnly))
        return 2;
    QStringList urls;
    for (const QByteArray& line : listFile.readAll().split('\n')) {
        if (!line.trimmed().isEmpty())
            urls.append(QString::fromUtf8(line.trimmed()));
    }

    CurlTransferService transfers;
    PictureCache cache(QString::fromLocal8Bit(argv[2]));
    PictureFetcher fetcher(&transfers, &cache, PictureFetchOptions {});
    constexpr int kScreen = 24;
    int thumbnails = 0;
    int measured = 0;
    qint64 firstScreenMs = -1;
    QElapsedTimer clock;
    QObject::connect(&fetcher, &PictureFetcher::pictureReady,
        [&](const QString& url, const PictureFacts& facts, const QImage& thumbnail) {
            if (!thumbnail.isNull() && urls.indexOf(url) < kScreen && ++thumbnails == kScreen)
                firstScreenMs = clock.elapsed();
            if (facts.state != PictureFacts::State::Pending)
                ++measured;
        });
    // How late a 10 ms timer on this thread fires while the pictures are fetched: how long
    // the window would take to answer a key or a click.
    QElapsedTimer tick;
    qint64 worstLateMs = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout,
        [&] { worstLateMs = std::max(worstLateMs, tick.restart() - 10); });
    probe.start(10);
    tick.start();
    clock.start();
    for (int i = 0; i < urls.size(); ++i)
        fetcher.request({ urls.at(i), QString(), i < kScreen });
    fetcher.prioritize(urls.mid(0, kScreen));
    QObject::connect(&fetcher, &PictureFetcher::idle, &app, &QCoreApplication::quit);
    app.exec();
    const qint64 allMs = clock.elapsed();
    std::printf("first screen of %d thumbnails: %lld ms\n", kScreen, firstScreenMs);
    std::printf("every size of %lld pictures known: %lld ms (%d reports)\n",
        static_cast<long long>(urls.size()), allMs, measured);
    std::printf("the interface thread answered within %lld ms throughout\n", worstLateMs + 10);
    probe.stop();

    const long before = residentKiB();
    LinkList list;
    PictureGridModel model(&list);
    ListEntries entries;
    for (int i = 0; i < 10000; ++i)
        entries.append({ QStringLiteral("http://pictures.example/gallery/%1/picture-%2.jpg")
                             .arg(i / 100)
                             .arg(i),
            { EntryKind::Image, QStringLiteral("picture %1").arg(i),
                QStringLiteral("http://pictures.example/gallery/%1/").arg(i / 100), {} } });
    list.addEntries(entries);
    for (int i = 0; i < 10000; ++i) {
        PictureFacts facts;
        facts.state = PictureFacts::State::Measured;
        facts.width = 1000 + i % 1000;
        facts.height = 800 + i % 700;
        facts.fileSize = 20000 + i * 100;
        facts.type = PictureType::Jpeg;
        facts.validator = QStringLiteral("\"%1\"").arg(i, 16, 16, QLatin1Char('0'));
        model.setPicture(list.at(i), facts, QImage());
    }
    PictureCriteria criteria;
    criteria.minWidth = 1200;
    criteria.order = PictureCriteria::Order::Area;
    model.setCriteria(criteria);
    std::printf("10000 entries with their facts, filtered and sorted: %ld KiB more resident "
                "(%d shown)\n",
        residentKiB() - before, model.rowCount());
    return 0;
}
