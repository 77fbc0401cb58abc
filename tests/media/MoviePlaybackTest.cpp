// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/MediaTestFiles.h"
#include "media/QTMovie.h"
#include "support/PulseServer.h"

#include <QFile>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(const QTMovie& movie)
{
    return QTTimeInSeconds(movie.currentTime());
}

// Waits until the listener has heard a little of the movie from a position.
// The test server's null sink renders long blocks while idle, so the first
// sound of a new stream can take up to two seconds to come through.
bool waitUntilAudible(const QTMovie& movie, double from)
{
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline) {
        if (seconds(movie) > from + 0.05)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

class MoviePlayback : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PulseServer& server = PulseServer::instance();
        ASSERT_TRUE(server.isRunning());
        qputenv("PULSE_SINK", server.nullSinkName().toUtf8());
    }

    MediaTestFiles m_files;
};

} // namespace

TEST_F(MoviePlayback, PositionFollowsTheClockAndSeeksMoveIt)
{
    std::unique_ptr<QTMovie> movie = QTMovie::movieWithFile(m_files.aac("long.m4a", 440, 12));
    ASSERT_TRUE(movie);
    const int32_t scale = movie->timeScale();
    EXPECT_EQ(movie->rate(), 0.0f);
    movie->play();
    ASSERT_TRUE(movie->lastError().isEmpty()) << movie->lastError().toStdString();
    EXPECT_EQ(movie->rate(), 1.0f);
    ASSERT_TRUE(waitUntilAudible(*movie, 0.0));

    // Over a second and a half the position moves by the time that passed.
    const double p1 = seconds(*movie);
    const auto t1 = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const double p2 = seconds(*movie);
    const double elapsed = std::chrono::duration<double>(Clock::now() - t1).count();
    EXPECT_NEAR(p2 - p1, elapsed, 0.04);

    // A seek while playing: the position continues from there.
    movie->setCurrentTime(QTMakeTime(8 * scale, scale));
    EXPECT_EQ(movie->rate(), 1.0f);
    ASSERT_TRUE(waitUntilAudible(*movie, 8.0));
    const double afterSeek = seconds(*movie);
    EXPECT_GT(afterSeek, 8.05);
    EXPECT_LT(afterSeek, 8.2);

    // Stopped, the position stays; a seek while paused lands on the very sample.
    movie->stop();
    EXPECT_EQ(movie->rate(), 0.0f);
    const QTTime stopped = movie->currentTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(movie->currentTime().timeValue, stopped.timeValue);
    movie->setCurrentTime(QTMakeTime(123457, scale));
    EXPECT_EQ(movie->currentTime().timeValue, 123457);
    EXPECT_EQ(movie->currentTime().timeScale, scale);
}

TEST_F(MoviePlayback, TheEndIsReportedAsRateZero)
{
    std::unique_ptr<QTMovie> movie =
        QTMovie::movieWithFile(m_files.aac("short.m4a", 440, 1.5, 22050));
    ASSERT_TRUE(movie);
    movie->setCurrentTime(QTMakeTime(1, 1));
    movie->play();
    ASSERT_EQ(movie->rate(), 1.0f);
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (movie->rate() != 0.0f && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
    EXPECT_EQ(movie->rate(), 0.0f);
    EXPECT_EQ(movie->currentTime().timeValue, movie->duration().timeValue);

    // Playing again from the end starts over.
    movie->play();
    EXPECT_EQ(movie->rate(), 1.0f);
    EXPECT_LT(seconds(*movie), 0.5);
    movie->stop();
}

TEST_F(MoviePlayback, APreviewEndsWhereItsTimeRanOut)
{
    std::unique_ptr<QTMovie> movie = QTMovie::movieWithFile(m_files.aac("memo.m4a", 440, 6));
    ASSERT_TRUE(movie);
    const int32_t scale = movie->timeScale();
    movie->setCurrentTime(QTMakeTime(2 * scale, scale));
    movie->setRate(1.0f);
    ASSERT_TRUE(waitUntilAudible(*movie, 2.0));
    const double heardAt = seconds(*movie);
    const auto started = Clock::now();
    std::this_thread::sleep_until(started + std::chrono::milliseconds(950));
    const double expected = heardAt + std::chrono::duration<double>(Clock::now() - started).count();
    movie->setRate(0.0f);
    EXPECT_EQ(movie->rate(), 0.0f);
    EXPECT_NEAR(seconds(*movie), expected, 0.04);
}

TEST_F(MoviePlayback, NoSoundServerLeavesTheMovieStoppedWithAMessage)
{
    std::unique_ptr<QTMovie> movie = QTMovie::movieWithFile(m_files.aac("a.m4a", 440, 1));
    ASSERT_TRUE(movie);
    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/pulse/native");
    movie->play();
    qputenv("PULSE_SERVER", server);
    EXPECT_EQ(movie->rate(), 0.0f);
    EXPECT_FALSE(movie->lastError().isEmpty());
    EXPECT_EQ(movie->currentTime().timeValue, 0);

    // A server that takes the connection and never answers: play gives up.
    const QString socketPath = m_files.path("silent.sock");
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(socketPath).constData(),
                 sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(socketPath));
    const auto started = Clock::now();
    movie->play();
    qputenv("PULSE_SERVER", server);
    ::close(listener);
    EXPECT_EQ(movie->rate(), 0.0f);
    EXPECT_FALSE(movie->lastError().isEmpty());
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(30));

    // The next attempt reaches the server again.
    movie->play();
    EXPECT_EQ(movie->rate(), 1.0f);
    movie->stop();
}

TEST_F(MoviePlayback, HungServerEndsPlayingAndTheNextStartFailsWithAMessage)
{
    PulseServer& server = PulseServer::instance();
    std::unique_ptr<QTMovie> movie = QTMovie::movieWithFile(m_files.aac("hung.m4a", 440, 30));
    ASSERT_TRUE(movie);
    movie->play();
    ASSERT_TRUE(waitUntilAudible(*movie, 0.0));

    // A stopped server takes no more samples: the player gives up on it.
    server.pause();
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (movie->rate() != 0.0f && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(movie->rate(), 0.0f);
    movie->play();
    server.resume();
    EXPECT_EQ(movie->rate(), 0.0f);
    EXPECT_EQ(movie->lastError(), QStringLiteral("Unable to open the audio output"));

    movie->play();
    EXPECT_EQ(movie->rate(), 1.0f);
    movie->stop();
}
