#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUrl>
#include <QtEndian>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <thread>

#include "pictures/PictureFetcher.h"
#include "platform/curl/CurlTransferService.h"
#include "support/LocalHttpServer.h"
#include "support/WaitFor.h"

namespace
{

QByteArray encoded(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

// Noise does not compress: a PNG of this size is far larger than a head.
QImage noise(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = random.generate();
    }
    return image;
}

quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A small PNG whose header claims a canvas of width × height pixels.
QByteArray claimedCanvas(int width, int height)
{
    QByteArray png = encoded(QImage(8, 8, QImage::Format_RGB32), "PNG");
    qToBigEndian<quint32>(width, png.data() + 16);
    qToBigEndian<quint32>(height, png.data() + 20);
    qToBigEndian<quint32>(crc32(png.mid(12, 17)), png.data() + 29);
    return png;
}

// A JPEG whose first 64 KiB hold only comment segments, so its size lies past the head.
QByteArray jpegWithLongPreamble(const QImage& image)
{
    const QByteArray jpeg = encoded(image, "JPEG");
    QByteArray result = jpeg.left(2);
    for (int i = 0; i < 2; ++i)
        result += QByteArray("\xFF\xFE\xFF\xFF", 4) + QByteArray(0xFFFF - 2, 'c');
    return result + jpeg.mid(2);
}

struct Report {
    PictureFacts facts;
    QImage thumbnail;
    int count = 0;
};

class PictureFetcherTest : public ::testing::Test
{
protected:
    // Serves body under path with an ETag, counting requests and remembering their
    // Range and If-None-Match headers.
    void serve(const std::string& path, const QByteArray& body, const char* type,
        std::string etag = "\"1\"")
    {
        auto content = std::make_shared<std::string>(body.toStdString());
        m_site.server().Get(
            path, [this, content, type, etag](const httplib::Request& req, httplib::Response& res) {
                std::lock_guard lock(m_mutex);
                ++m_requests;
                m_ranges.push_back(req.get_header_value("Range"));
                if (req.get_header_value("If-None-Match") == etag) {
                    res.status = 304;
                    return;
                }
                res.set_header("ETag", etag);
                res.set_content(*content, type);
            });
    }

    std::map<QString, Report> fetch(
        const QStringList& urls, bool thumbnails, PictureFetchOptions options = {})
    {
        PictureCache cache(m_cacheDir.path());
        PictureFetcher fetcher(&m_transfers, &cache, options);
        std::map<QString, Report> reports;
        QObject::connect(&fetcher, &PictureFetcher::pictureReady,
            [&](const QString& url, const PictureFacts& facts, const QImage& thumbnail) {
                Report& r = reports[url];
                r.facts = facts;
                if (!thumbnail.isNull())
                    r.thumbnail = thumbnail;
                ++r.count;
            });
        for (const QString& url : urls)
            fetcher.request({ m_site.url(url), QString(), thumbnails });
        EXPECT_TRUE(waitFor([&] { return fetcher.pending() == 0; }));
        QCoreApplication::processEvents();
        std::map<QString, Report> byPath;
        for (auto& [url, report] : reports)
            byPath[QUrl(url).path()] = report;
        return byPath;
    }

    LocalHttpServer m_site;
    CurlTransferService m_transfers;
    QTemporaryDir m_cacheDir;
    std::mutex m_mutex;
    int m_requests = 0;
    std::vector<std::string> m_ranges;
};

TEST_F(PictureFetcherTest, MeasuresFromTheHeadAndFallsBackToTheWholeFile)
{
    const QByteArray png = encoded(noise(300, 200), "PNG");
    const QByteArray jpeg = jpegWithLongPreamble(noise(64, 48));
    ASSERT_GT(png.size(), 100 * 1024);
    serve("/big.png", png, "image/png");
    serve("/late.jpg", jpeg, "image/jpeg");
    ASSERT_TRUE(m_site.start());

    auto reports = fetch({ "/big.png", "/late.jpg" }, false);

    const PictureFacts& p = reports["/big.png"].facts;
    EXPECT_EQ(p.state, PictureFacts::State::Measured) << p.reason.toStdString();
    EXPECT_EQ(QSize(p.width, p.height), QSize(300, 200));
    EXPECT_EQ(p.fileSize, png.size());
    EXPECT_EQ(p.type, PictureType::Png);
    const PictureFacts& j = reports["/late.jpg"].facts;
    EXPECT_EQ(QSize(j.width, j.height), QSize(64, 48));
    EXPECT_EQ(j.fileSize, jpeg.size());
    EXPECT_EQ(j.type, PictureType::Jpeg);
    // One ranged request each, and one whole request for the JPEG.
    EXPECT_EQ(m_requests, 3);
    EXPECT_EQ(std::count(m_ranges.begin(), m_ranges.end(), "bytes=0-65535"), 2);
}

TEST_F(PictureFetcherTest, ASecondOpenComesFromDiskAndAChangedPictureIsFetchedAgain)
{
    const QByteArray first = encoded(noise(40, 30), "PNG");
    auto etag = std::make_shared<std::string>("\"a\"");
    auto body = std::make_shared<QByteArray>(first);
    m_site.server().Get(
        "/p.png", [&, etag, body](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard lock(m_mutex);
            ++m_requests;
            if (req.get_header_value("If-None-Match") == *etag) {
                res.status = 304;
                return;
            }
            res.set_header("ETag", *etag);
            res.set_content(body->toStdString(), "image/png");
        });
    ASSERT_TRUE(m_site.start());

    Report fetched = fetch({ "/p.png" }, true)["/p.png"];
    ASSERT_FALSE(fetched.thumbnail.isNull());
    Report again = fetch({ "/p.png" }, true)["/p.png"];
    EXPECT_EQ(again.facts, fetched.facts);
    EXPECT_EQ(again.thumbnail.size(), QSize(40, 30));
    EXPECT_EQ(m_requests, 2); // the second only asked whether it changed

    *etag = "\"b\"";
    *body = encoded(noise(50, 20), "PNG");
    Report changed = fetch({ "/p.png" }, true)["/p.png"];
    EXPECT_EQ(QSize(changed.facts.width, changed.facts.height), QSize(50, 20));
    EXPECT_EQ(changed.thumbnail.size(), QSize(50, 20));
    EXPECT_EQ(changed.facts.validator, "\"b\"");
}

TEST_F(PictureFetcherTest, HostilePicturesEndWithAReasonInBoundedTime)
{
    const QByteArray whole = encoded(noise(100, 100), "PNG");
    serve("/bomb.png", claimedCanvas(60000, 60000), "image/png");
    serve("/cut.png", whole.left(whole.size() / 2), "image/png");
    serve("/headless.png", whole.left(8) + "no header chunk", "image/png");
    std::atomic<int> spied = 0;
    m_site.server().Get("/spy.png", [&](const httplib::Request&, httplib::Response& res) {
        ++spied;
        res.set_content(whole.toStdString(), "image/png");
    });
    // The server trickles on after the test body has ended: the provider holds its own
    // copy of the bytes.
    m_site.server().Get("/slow.png", [whole](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider(
            "image/png", [whole](size_t offset, httplib::DataSink& sink) {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                if (offset >= size_t(whole.size())) {
                    sink.done();
                    return true;
                }
                sink.write(whole.constData() + offset, 1);
                return true;
            });
    });
    ASSERT_TRUE(m_site.start());
    const std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' "
                            "xmlns:xlink='http://www.w3.org/1999/xlink' width='300' height='150'>"
                            "<image width='300' height='150' xlink:href='"
        + m_site.url("/spy.png").toStdString() + "'/><rect width='10' height='10'/></svg>";
    serve("/remote.svg", QByteArray::fromStdString(svg), "image/svg+xml");

    PictureFetchOptions options;
    options.timeoutSeconds = 2;
    auto reports = fetch(
        { "/bomb.png", "/cut.png", "/headless.png", "/slow.png", "/remote.svg" }, true, options);

    const Report& bomb = reports["/bomb.png"];
    EXPECT_EQ(QSize(bomb.facts.width, bomb.facts.height), QSize(60000, 60000));
    EXPECT_TRUE(bomb.thumbnail.isNull());
    EXPECT_FALSE(bomb.facts.reason.isEmpty());
    const Report& cut = reports["/cut.png"];
    EXPECT_TRUE(cut.thumbnail.isNull());
    EXPECT_FALSE(cut.facts.reason.isEmpty());
    const Report& headless = reports["/headless.png"];
    EXPECT_EQ(headless.facts.state, PictureFacts::State::Failed);
    EXPECT_EQ(headless.facts.type, PictureType::Png);
    EXPECT_TRUE(headless.facts.reason.contains("header")) << headless.facts.reason.toStdString();
    const Report& slow = reports["/slow.png"];
    EXPECT_EQ(slow.facts.state, PictureFacts::State::Failed);
    EXPECT_TRUE(slow.facts.reason.contains("2 s")) << slow.facts.reason.toStdString();
    const Report& svgReport = reports["/remote.svg"];
    EXPECT_EQ(svgReport.facts.type, PictureType::Svg);
    EXPECT_EQ(svgReport.thumbnail.size(), QSize(256, 128));
    EXPECT_EQ(spied.load(), 0);
}

} // namespace
