// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/AudioFile.h"
#include "support/Media.h"
#include "support/PulseServer.h"
#include "support/Wait.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

double seconds(const AudioFile& movie)
{
    return secondsOf(movie.currentTime());
}

// Playback goes to the null sink of the private sound server, which renders
// long blocks while idle: the first sound of a new stream can take a moment.
class MoviePlayback : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("PULSE_SINK", PulseServer::instance().nullSinkName().toUtf8());
    }

    std::unique_ptr<AudioFile> movie(const QString& name, double length, int rate = 44100)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(
            makeTone(path, length, {"-ac", "2", "-ar", QString::number(rate), "-c:a", "aac"}));
        return AudioFile::movieWithFile(path);
    }
    // Waits until a little of the movie was heard from a position.
    static bool audibleFrom(const AudioFile& m, double from)
    {
        return waitUntil([&] { return seconds(m) > from + 0.05; });
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(MoviePlayback, PositionFollowsThePlayedSoundAndSeeksMoveIt)
{
    const std::unique_ptr<AudioFile> m = movie("long.m4a", 12);
    ASSERT_TRUE(m);
    const int32_t scale = m->timeScale();
    EXPECT_EQ(m->rate(), 0.0f);
    // The position is what has been heard: it moves on, and never runs ahead
    // of the time since the start, as the sound sent to the server does.
    QElapsedTimer clock;
    clock.start();
    m->play();
    ASSERT_TRUE(m->lastError().isEmpty()) << m->lastError().toStdString();
    EXPECT_EQ(m->rate(), 1.0f);
    ASSERT_TRUE(audibleFrom(*m, 0.0));
    EXPECT_LE(seconds(*m), clock.elapsed() / 1000.0 + 0.05);
    const double p1 = seconds(*m);
    ASSERT_TRUE(audibleFrom(*m, p1 + 0.5));
    EXPECT_LE(seconds(*m), clock.elapsed() / 1000.0 + 0.05);
    // A seek while playing: the position continues from there.
    m->setCurrentTime(makeMediaTime(8 * scale, scale));
    EXPECT_EQ(m->rate(), 1.0f);
    EXPECT_GE(seconds(*m), 8.0);
    ASSERT_TRUE(audibleFrom(*m, 8.0));
    EXPECT_LT(seconds(*m), 10.0);
    // Stopped, the position stays while another movie plays on; a seek while
    // paused lands on the very sample.
    m->stop();
    EXPECT_EQ(m->rate(), 0.0f);
    EXPECT_GT(seconds(*m), 8.0);
    const MediaTime stopped = m->currentTime();
    const std::unique_ptr<AudioFile> other = movie("other.m4a", 3);
    other->play();
    ASSERT_TRUE(audibleFrom(*other, 0.3));
    other->stop();
    EXPECT_EQ(m->currentTime().timeValue, stopped.timeValue);
    m->setCurrentTime(makeMediaTime(123457, scale));
    EXPECT_EQ(m->currentTime().timeValue, 123457);
    EXPECT_EQ(m->currentTime().timeScale, scale);
}

TEST_F(MoviePlayback, TheEndIsReportedAsRateZero)
{
    const std::unique_ptr<AudioFile> m = movie("short.m4a", 1.5, 22050);
    ASSERT_TRUE(m);
    m->setCurrentTime(makeMediaTime(1, 1));
    m->play();
    ASSERT_EQ(m->rate(), 1.0f);
    EXPECT_TRUE(waitUntil([&] { return m->rate() == 0.0f; }));
    EXPECT_EQ(m->currentTime().timeValue, m->duration().timeValue);
    // Playing again from the end starts over.
    m->play();
    EXPECT_EQ(m->rate(), 1.0f);
    EXPECT_LT(seconds(*m), 0.5);
    m->stop();
}

TEST_F(MoviePlayback, NoSoundServerLeavesTheMovieStoppedWithAMessage)
{
    const std::unique_ptr<AudioFile> m = movie("a.m4a", 1);
    ASSERT_TRUE(m);
    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/pulse/native");
    m->play();
    qputenv("PULSE_SERVER", server);
    EXPECT_EQ(m->rate(), 0.0f);
    EXPECT_FALSE(m->lastError().isEmpty());
    EXPECT_EQ(m->currentTime().timeValue, 0);
    // A server that takes the connection and never answers: play gives up.
    const QString socketPath = dir.filePath("silent.sock");
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(socketPath).constData(),
                 sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(socketPath));
    m->play();
    qputenv("PULSE_SERVER", server);
    ::close(listener);
    EXPECT_EQ(m->rate(), 0.0f);
    EXPECT_FALSE(m->lastError().isEmpty());
    // The next attempt reaches the server again.
    m->play();
    EXPECT_EQ(m->rate(), 1.0f);
    m->stop();
}

TEST_F(MoviePlayback, HungServerEndsPlayingAndTheNextStartFailsWithAMessage)
{
    PulseServer& server = PulseServer::instance();
    const std::unique_ptr<AudioFile> m = movie("hung.m4a", 30);
    ASSERT_TRUE(m);
    m->play();
    ASSERT_TRUE(audibleFrom(*m, 0.0));
    // A stopped server takes no more samples: the player gives up on it.
    server.pause();
    EXPECT_TRUE(waitUntil([&] { return m->rate() == 0.0f; }, 60000));
    m->play();
    server.resume();
    EXPECT_EQ(m->rate(), 0.0f);
    EXPECT_EQ(m->lastError(), QStringLiteral("Unable to open the audio output"));
    m->play();
    EXPECT_EQ(m->rate(), 1.0f);
    m->stop();
}
