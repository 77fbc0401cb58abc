// SPDX-License-Identifier: GPL-3.0-or-later
// The recording workflow of the whole controller against the private sound
// server, recording from its 440 Hz sine source.
#include "audio/RecorderEngine.h"
#include "audio/SilenceSettings.h"
#include "media/AudioFile.h"
#include "media/WaveformCache.h"
#include "media/WaveformPeaks.h"
#include "playback/RecNavigController.h"
#include "playback/RecNavigatorView.h"
#include "playback/TimeView.h"
#include "shell/MainView.h"
#include "shell/PreferencesView.h"
#include "support/AppFixture.h"
#include "support/Media.h"
#include "support/PulseServer.h"
#include "support/TestFiles.h"
#include "support/Wait.h"
#include "widgets/ToolbarButton.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstring>
#include <dlfcn.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>

// Each fdatasync of this process: the synced file's path and size then.
static std::mutex syncsMutex;
static QList<std::pair<QString, qint64>> syncs;

extern "C" int fdatasync(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) == 0) {
        const std::lock_guard lock(syncsMutex);
        syncs.append({QFile::symLinkTarget(QString("/proc/self/fd/%1").arg(fd)), st.st_size});
    }
    return reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fdatasync"))(fd);
}

// Until this time (CLOCK_MONOTONIC, ns) libpulse's mainloop threads, the
// capture's among them, sleep before they wait for events again.
static std::atomic<int64_t> stallUntil{0};

static void stallMainloop()
{
    char name[16] = {};
    pthread_getname_np(pthread_self(), name, sizeof name);
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const int64_t left = stallUntil.load() - (now.tv_sec * 1000000000LL + now.tv_nsec);
    if (left > 0 && std::strcmp(name, "threaded-ml") == 0) {
        const timespec sleep{left / 1000000000, left % 1000000000};
        ::nanosleep(&sleep, nullptr);
    }
}

extern "C" int poll(pollfd* fds, nfds_t count, int timeout)
{
    stallMainloop();
    return reinterpret_cast<int (*)(pollfd*, nfds_t, int)>(dlsym(RTLD_NEXT, "poll"))(fds, count,
                                                                                     timeout);
}

namespace {

class Recording : public AppFixture
{
protected:
    void configure(Settings& settings) override
    {
        settings.setInputDevice(PulseServer::instance().sineSourceDescription());
    }
    // Waits until the running recording went on for the time by the window's
    // clock and its file holds it (the file grows by whole fragments of about
    // a second; the test's sine source runs ahead of the clock).
    bool captured(double seconds)
    {
        const QString file = session->engine().outputFilePath();
        const float from = window->timeView()->time();
        return waitUntil([&] {
            return window->timeView()->time() - from >= seconds &&
                   AudioFile::fileDuration(file) >= seconds;
        });
    }
    // A new recording of at least the time; answers its row.
    RecItem* record(double seconds)
    {
        window->toggleRecording(false);
        EXPECT_TRUE(session->isRecording());
        EXPECT_TRUE(captured(seconds));
        window->toggleRecording(false);
        EXPECT_FALSE(session->isRecording());
        return window->recNavigController()->currentFile();
    }
};

} // namespace

TEST_F(Recording, NewRecordingsTakeTheFirstFreeNameAndTheFileLength)
{
    writeFile(out + "/Untitled 1.m4a");
    writeFile(out + "/Untitled 3.m4a");
    RecItem* item = record(1.0);
    // Its waveform is kept at the stop, for the file as it is, as a decoder finds it.
    const std::optional<std::vector<float>> peaks = WaveformCache::load(out + "/Untitled 2.m4a");
    ASSERT_TRUE(peaks);
    EXPECT_LT(drawnDistance(*peaks, WaveformPeaks::compute(out + "/Untitled 2.m4a"), 1600, 48),
              1.0);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->title(), "Untitled 2");
    EXPECT_EQ(item->parent(), root());
    const double length = AudioFile::fileDuration(out + "/Untitled 2.m4a");
    EXPECT_GT(length, 0.8);
    EXPECT_DOUBLE_EQ(item->duration(), length);
    EXPECT_TRUE(database().contains("Title=\"Untitled 2\""));
    // The two files made above are adopted; being no audio, they measure 0 s.
    EXPECT_FALSE(
        QString(database()).contains(QRegularExpression("Untitled 2\"[^>]*Duration=\"0\"")));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Recording, AnOutputFolderDeletedWhileItsDriveIsThereIsMadeAnewAndRecords)
{
    recording("Talk", nullptr, 1)->setDescr("kept");
    ASSERT_EQ(QProcess::execute("rm", {"-r", out}), 0);
    // The row stays, shown missing, until the folder is back.
    EXPECT_TRUE(waitUntil([&] { return itemAt(root(), 0) && itemAt(root(), 0)->isFileMissing(); }));
    record(1.0);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_GT(AudioFile::fileDuration(out + "/Untitled 1.m4a"), 0.8);
    EXPECT_TRUE(database().contains("kept"));
}

TEST_F(Recording, TheLiveWaveformShowsTheSoundWhetherOrNotSilenceIsSkipped)
{
    for (const bool skip : {false, true}) {
        prefs->setSkipSilence(skip);
        window->toggleRecording(false);
        ASSERT_TRUE(captured(1.0));
        // The sine is as loud from end to end: no stretch of the strip is flat.
        const std::vector<float> columns = window->recNavigatorView()->waveformColumns(4);
        window->toggleRecording(false);
        ASSERT_EQ(columns.size(), 4u);
        EXPECT_GT(*std::min_element(columns.begin(), columns.end()), 0.2f) << skip;
    }
}

TEST_F(Recording, NewRecordingsLandInTheChosenCategoryOrTheRootAlsoDuringASearch)
{
    RecGroup* inner = category("Inner", category("Talks"));
    outline->selectItem(inner);
    RecItem* first = record(0.3);
    EXPECT_EQ(first->parent(), inner);
    EXPECT_TRUE(QFile::exists(out + "/Talks/Inner/Untitled 1.m4a"));

    // Nothing chosen while a search shows: the library root, saved at once.
    window->mainView()->searchField()->setText("nothing matches this");
    ASSERT_TRUE(outline->isSearchMode());
    outline->deselectAll();
    RecItem* third = record(0.3);
    EXPECT_EQ(third->parent(), root());
    EXPECT_TRUE(QFile::exists(out + "/Untitled 1.m4a"));
    EXPECT_EQ(database().count("Title=\"Untitled 1\""), 2);
    window->mainView()->searchField()->clear();
    EXPECT_EQ(titles(root()), (QStringList{"Talks", "Untitled 1"}));

    // A category folder that is a link out of the library takes no recording.
    RecGroup* link = category("Link", nullptr, false);
    ASSERT_TRUE(QFile::link(home.path(), out + "/Link"));
    outline->selectItem(link);
    window->toggleRecording(false);
    EXPECT_FALSE(session->isRecording());
    EXPECT_TRUE(link->subItems().isEmpty());
    EXPECT_EQ(messages, QStringList{"Unable to create a folder, try to change the path to the "
                                    "recordings in the preferences"});
}

TEST_F(Recording, ContinuingJoinsThePartWithAMarkAtTheJoin)
{
    RecItem* talk = record(1.0);
    const QString path = out + "/Untitled 1.m4a";
    const auto rate = double(session->engine().writtenRate());
    // Players find the length of the sound, without the encoder's delay and padding.
    const double sound = double(session->engine().writtenLength()) / rate;
    const auto lengths = [&] {
        return std::map<QString, double>{{"ffprobe", ffprobeSeconds(path)},
                                         {"GStreamer", gstreamerSeconds(path)},
                                         {"VoiceTray", AudioFile::fileDuration(path)}};
    };
    for (const auto& [who, length] : lengths())
        EXPECT_NEAR(length, sound, 0.001) << who.toStdString();
    EXPECT_NEAR(talk->duration(), sound, 0.001);
    writeFile(out + "/Untitled 1 1.m4a");

    outline->selectItem(talk);
    window->toggleRecording(true);
    ASSERT_TRUE(session->isContinuing());
    EXPECT_TRUE(session->engine().outputFilePath().endsWith("/Untitled 1 2.m4a"));
    // Cross-presses change nothing while a continuation runs.
    window->mainView()->recordBtn->click();
    EXPECT_TRUE(session->isRecording());
    EXPECT_TRUE(session->isContinuing());
    // So are renaming and deleting the recording: the join needs its file.
    EXPECT_FALSE(library->rename(talk, "Renamed"));
    EXPECT_FALSE(library->remove({talk}));
    EXPECT_EQ(talk->title(), "Untitled 1");
    ASSERT_TRUE(captured(1.0));
    window->toggleRecording(true);

    EXPECT_FALSE(QFile::exists(out + "/Untitled 1 2.m4a"));
    // Nothing of either part is cut: the seam may hold the first part's end
    // for up to a frame of the encoder and a fade, which the mark comes after.
    const double after = AudioFile::fileDuration(path);
    const double part = double(session->engine().writtenLength()) / rate;
    EXPECT_GE(after, sound + part);
    EXPECT_LT(after, sound + part + (1024 + 0.01 * rate) / rate);
    for (const auto& [who, length] : lengths())
        EXPECT_NEAR(length, after, 0.001) << who.toStdString();
    const std::optional<std::vector<float>> peaks = WaveformCache::load(path);
    ASSERT_TRUE(peaks);
    EXPECT_LT(drawnDistance(*peaks, WaveformPeaks::compute(path), 1600, 48), 1.0);
    // The row takes the joined length once the player has reloaded the file.
    EXPECT_TRUE(waitUntil([&] { return std::abs(talk->duration() - after) < 1e-6; }));
    ASSERT_EQ(talk->marks().size(), 1u);
    EXPECT_EQ(talk->marks()[0].descr(), "Position in which the recording was continued");
    EXPECT_NEAR(talk->marks()[0].offset(), after - part, 0.001); // on the seam
    EXPECT_TRUE(QDir(out).entryList(QStringList{".*.tmp"}, QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_EQ(messages, QStringList{"Unable to rename the item"});
}

TEST_F(Recording, AFailedJoinKeepsThePartAsItsOwnRecording)
{
    RecGroup* cat = category("Cat");
    outline->selectItem(cat);
    outline->selectItem(record(0.5));
    window->toggleRecording(true);
    ASSERT_TRUE(session->isContinuing());
    ASSERT_TRUE(captured(0.5));
    QFile::remove(out + "/Cat/Untitled 1.m4a");
    window->toggleRecording(true);

    EXPECT_EQ(messages, QStringList{"Unable to combine recordings"});
    EXPECT_TRUE(QFile::exists(out + "/Cat/Untitled 1 1.m4a"));
    GeneralRecItem* part = outline->chiefSelectedItem();
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->title(), "Untitled 1 1");
    EXPECT_EQ(part->parent(), cat);
    EXPECT_TRUE(database().contains("Title=\"Untitled 1 1\""));
}

TEST_F(Recording, QuittingSavesTheLengthOrJoinsFirst)
{
    window->toggleRecording(false);
    ASSERT_TRUE(captured(0.8));
    app->quit();
    EXPECT_FALSE(session->isRecording());
    EXPECT_TRUE(database().contains("Title=\"Untitled 1\""));
    EXPECT_FALSE(database().contains("Duration=\"0\""));

    const double before = AudioFile::fileDuration(out + "/Untitled 1.m4a");
    window->toggleRecording(true);
    ASSERT_TRUE(session->isContinuing());
    ASSERT_TRUE(captured(0.8));
    app->quit();
    EXPECT_GT(AudioFile::fileDuration(out + "/Untitled 1.m4a"), before + 0.5);
    EXPECT_FALSE(QFile::exists(out + "/Untitled 1 1.m4a"));
}

TEST_F(Recording, ChangingSkipSilenceOrTheFolderStopsTheRecordingAndSavesItsLength)
{
    const QString first = out;
    const std::function<void()> changes[] = {
        [&] { prefs->setSkipSilence(true); },
        [&] { prefs->outputFolderChanged(home.path() + "/b"); }};
    for (int n = 1; n <= 2; ++n) {
        window->toggleRecording(false);
        ASSERT_TRUE(captured(0.5));
        changes[n - 1]();
        EXPECT_FALSE(session->isRecording());
        const QByteArray saved = readFile(first + "/RecordingsDB.xml");
        EXPECT_TRUE(saved.contains(QString("Title=\"Untitled %1\"").arg(n).toUtf8())) << n;
        EXPECT_FALSE(saved.contains("Duration=\"0\""));
    }
    EXPECT_TRUE(root()->subItems().isEmpty()); // the other folder's library
    // A quality out of range is refused and the recording goes on; another stops it.
    window->toggleRecording(false);
    prefs->setRecQuality(0);
    EXPECT_TRUE(session->isRecording());
    prefs->setRecQuality(1);
    EXPECT_FALSE(session->isRecording());
    EXPECT_TRUE(messages.isEmpty());
}

// The chosen source goes; with the mixed input, its microphone or the output
// whose sound it takes goes.
TEST_F(Recording, ALostInputDeviceEndsTheRecordingWithWhatCameBefore)
{
    PulseServer& server = PulseServer::instance();
    const QString mixed = RecorderEngine::mixedInputDevice();
    const std::tuple<QString, bool, double> cases[] = {
        {"USB Headset", false, 660}, {mixed, false, 660}, {mixed, true, 440}};
    for (const auto& [device, output, frequency] : cases) {
        SCOPED_TRACE(device.toStdString() + (output ? " output" : ""));
        const QString module =
            output ? PulseServer::pactl({"load-module", "module-null-sink", "sink_name=vt_lost"})
                   : server.loadToneSource("vt_lost", "USB Headset", 660);
        ASSERT_FALSE(module.isEmpty());
        ASSERT_TRUE(PulseServer::setDefault(output ? "sink" : "source", "vt_lost"));
        ASSERT_TRUE(waitUntil([&] {
            prefs->setInputDevice(device);
            return session->engine().inputDevice() == device;
        }));
        window->toggleRecording(false);
        const QString file = session->engine().outputFilePath();
        ASSERT_TRUE(captured(1.0));
        const bool toneFlows = server.soundsToOthers(output ? "vt_sine" : "vt_lost");
        server.unloadSource(module);
        ASSERT_TRUE(waitUntil([&] { return !session->isRecording(); }));
        EXPECT_EQ(messages.takeFirst(), "The input device was disconnected. The recording was "
                                        "stopped and saved.");
        EXPECT_DOUBLE_EQ(window->recNavigController()->currentFile()->duration(),
                         AudioFile::fileDuration(file));
        // The device's tone: the mixer may play a stream up to 0.6 % fast
        // while it catches up, and PipeWire's pipe sources start unevenly.
        if (toneFlows) {
            EXPECT_NEAR(frequencyAt(file, 0.2, 0.6), frequency, frequency * 0.05);
        }
        PulseServer::setDefault("source", "vt_sine");
        PulseServer::setDefault("sink", server.nullSinkName());
    }
    prefs->setInputDevice(server.sineSourceDescription());
    EXPECT_GT(record(0.3)->duration(), 0.2);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Recording, ADeviceLostWhileListeningForThePreRollClosesTheCapture)
{
    PulseServer& server = PulseServer::instance();
    const QString module = server.loadToneSource("vt_gone", "USB Headset", 660);
    ASSERT_TRUE(waitUntil([&] {
        prefs->setInputDevice("USB Headset");
        return session->engine().inputDevice() == "USB Headset";
    }));
    prefs->setPreRoll(5);
    ASSERT_TRUE(waitUntil([&] { return session->engine().isListening(); }));
    server.unloadSource(module);
    EXPECT_TRUE(waitUntil([&] { return !session->engine().isListening(); }));
    // On a device that is there, listening and recording work again.
    prefs->setInputDevice(server.sineSourceDescription());
    EXPECT_TRUE(session->engine().isListening());
    EXPECT_GT(record(0.3)->duration(), 0.2);
}

namespace {

// Nothing chosen in the preferences; a headset is the default microphone
// when VoiceTray starts.
class Microphones : public Recording
{
protected:
    void configure(Settings&) override
    {
        m_headset = PulseServer::instance().loadToneSource("vt_headset", kHeadset, 660);
        PulseServer::setDefault("source", "vt_headset");
    }
    void TearDown() override
    {
        Recording::TearDown();
        PulseServer::instance().unloadSource(m_headset);
        PulseServer::setDefault("source", "vt_sine");
    }
    bool listed(const QString& device) const
    {
        return window->prefView()->devicesPopUp()->findText(device) >= 0;
    }
    // Records half a second from the microphone at hand, the given source:
    // its tone is in the file, near enough to tell the two microphones apart
    // (on PipeWire the first moments of a pipe source that just started come
    // in uneven blocks).
    void expectRecorded(const QString& source, double frequency)
    {
        window->toggleRecording(false);
        const QString file = session->engine().outputFilePath();
        EXPECT_TRUE(session->isRecording());
        EXPECT_TRUE(captured(0.5));
        const bool toneFlows = PulseServer::soundsToOthers(source);
        window->toggleRecording(false);
        if (toneFlows) {
            EXPECT_NEAR(frequencyAt(file, 0.1, 0.3), frequency, 60.0) << source.toStdString();
        }
    }

    static constexpr const char* kHeadset = "USB Headset";
    QString m_headset;
};

} // namespace

TEST_F(Microphones, PluggedInOrPulledOutTheyAreFollowedWithoutARestart)
{
    PulseServer& server = PulseServer::instance();
    expectRecorded("vt_headset", 660);
    // Pulled out: it leaves the open preferences, and the microphone that is
    // the default now records.
    server.unloadSource(m_headset);
    EXPECT_TRUE(waitUntil([&] { return !listed(kHeadset); }, 1000));
    PulseServer::setDefault("source", "vt_sine");
    expectRecorded("vt_sine", 440);
    // Plugged in again (the server may name it anew) it appears at once;
    // chosen, it is what records.
    m_headset = server.loadToneSource("vt_headset_2", kHeadset, 660);
    ASSERT_TRUE(waitUntil([&] { return listed(kHeadset); }, 1000));
    prefs->setInputDevice(kHeadset);
    window->toggleRecording(false);
    EXPECT_EQ(window->recordingDevice(), kHeadset);
    window->toggleRecording(false);
    // Chosen and gone: one message names it. Back, it is used again.
    server.unloadSource(m_headset);
    ASSERT_TRUE(waitUntil([&] { return !listed(kHeadset); }, 1000));
    window->toggleRecording(false);
    EXPECT_FALSE(session->isRecording());
    EXPECT_EQ(messages, QStringList("The input device \"USB Headset\" is not connected."));
    m_headset = server.loadToneSource("vt_headset_3", kHeadset, 660);
    ASSERT_TRUE(
        waitUntil([&] { return window->prefView()->devicesPopUp()->currentText() == kHeadset; }));
    expectRecorded("vt_headset_3", 660);
}

// The category's folder is a small file system of its own (or, where
// mounting is refused, files may not grow beyond its size).
TEST_F(Recording, AFullDiskEndsTheRecordingWithWhatWasWritten)
{
    outline->selectItem(category("Full"));
    const QString folder = out + "/Full";
    const bool mounted =
        QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=32k", "vt-full", folder}) == 0;
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const rlimit limit{mounted ? old.rlim_cur : 32 * 1024, old.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    {
        auto restore = qScopeGuard([&] {
            ::setrlimit(RLIMIT_FSIZE, &old);
            QProcess::execute("umount", {"-l", folder});
        });
        window->toggleRecording(false);
        ASSERT_TRUE(waitUntil([&] { return !session->isRecording(); }));
        const QString file = folder + "/Untitled 1.m4a";
        const double length = AudioFile::fileDuration(file);
        EXPECT_GT(length, 1.0);
        EXPECT_NEAR(DecodedAudio::decode(file).seconds(), length, 0.1);
        EXPECT_DOUBLE_EQ(window->recNavigController()->currentFile()->duration(), length);
        EXPECT_EQ(messages, QStringList{QString("The disk is full. The recording was stopped; %1 "
                                                "seconds of it were saved.")
                                            .arg(length, 0, 'f', 1)});
    }
    EXPECT_GT(record(0.3)->duration(), 0.2);
}

// A minute of tone reaches the capture far faster than the writer encodes
// it, in 4 s chunks of alternating loudness, each sent once the capture's
// level shows the one before arrived (the sound server holds only about 12 s
// of a stream); closing silence shows that all has arrived.
TEST_F(Recording, AWriterFallingBehindLosesWhatTheMessageSaysAndSyncsEveryFiveSeconds)
{
    prefs->setInputDevice(PulseServer::instance().monoPipeSourceDescription());
    prefs->setSkipSilence(true); // which measures the level of every buffer
    prefs->setRecQuality(3);     // 44.1 kHz, the slowest to encode
    window->toggleRecording(false);
    std::vector<float> chunk(4 * PulseServer::pipeRate);
    for (int k = 0; k < 15; ++k) {
        const float amplitude = k % 2 ? 0.25f : 0.5f;
        for (size_t i = 0; i < chunk.size(); ++i)
            chunk[i] = amplitude * float(std::sin(2 * M_PI * 440.0 * double(i) / 44100));
        ASSERT_TRUE(PulseServer::instance().writeMonoPipe(chunk.data(), chunk.size()));
        ASSERT_TRUE(waitUntil(
            [&] { return std::abs(SilenceSettings::inputLevel() - 2 * amplitude) < 0.05f; }));
    }
    chunk.assign(2 * session->engine().audioSamples(), 0.0f);
    ASSERT_TRUE(PulseServer::instance().writeMonoPipe(chunk.data(), chunk.size()));
    ASSERT_TRUE(waitUntil([] { return SilenceSettings::inputLevel() == 0; }));
    window->toggleRecording(false);

    const QString file = out + "/Untitled 1.m4a";
    const double length = AudioFile::fileDuration(file);
    const double missing = session->engine().droppedSeconds();
    EXPECT_EQ(messages, QStringList{QString("The disk could not keep up: %1 seconds of the "
                                            "recording are missing.")
                                        .arg(missing, 0, 'f', 1)});
    // It plays, in whole AAC frames of 1024 samples, the encoder's first one included.
    const DecodedAudio audio = DecodedAudio::decode(file);
    EXPECT_NEAR(audio.seconds(), length, 0.1);
    EXPECT_NEAR(length + missing, 60 + double(chunk.size()) / 44100, 2048.0 / audio.sampleRate);
    // Synced every 5 s of audio while it grew (give or take a fragment and
    // the encoder's rate), and once ended at its length.
    const qint64 size = QFileInfo(file).size();
    qint64 synced = 0;
    const std::lock_guard lock(syncsMutex);
    for (const auto& [path, at] : syncs)
        if (path == file && at - std::exchange(synced, at) > 7 * size / length)
            ADD_FAILURE() << "synced at " << at << " of " << size << " bytes";
    EXPECT_TRUE(std::any_of(syncs.begin(), syncs.end(),
                            [&](const auto& sync) { return sync.second == size; }));
}

// A client that stalls longer than the server keeps its sound (PulseAudio
// keeps some twelve seconds of this stream).
TEST_F(Recording, AStalledCaptureCountsWhatTheServerCouldNotKeepAndSaysSo)
{
    prefs->setInputDevice(PulseServer::instance().monoPipeSourceDescription());
    QElapsedTimer clock;
    clock.start();
    window->toggleRecording(false);
    const QString file = session->engine().outputFilePath();
    double fed = 0;
    {
        MonoPipeFeeder feeder;
        ASSERT_TRUE(waitUntil([&] { return feeder.seconds() >= 1.0; }));
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        stallUntil = (now.tv_sec + 14) * 1000000000LL + now.tv_nsec;
        ASSERT_TRUE(waitUntil([&] { return feeder.seconds() >= 17.0; }, 30000));
        fed = feeder.seconds();
    }
    const double end = double(clock.elapsed()) / 1000;
    ASSERT_TRUE(waitUntil([&] { return session->engine().currSeconds() >= end - 0.3; }));
    window->toggleRecording(false);
    const double lost = session->engine().lostSeconds();
    EXPECT_GT(lost, 0.3);
    EXPECT_NEAR(AudioFile::fileDuration(file) + lost, fed, 0.3);
    EXPECT_EQ(messages, QStringList(QString("%1 seconds of the recording could not be captured: "
                                            "the sound server delivered nothing for them.")
                                        .arg(lost, 0, 'f', 1)));
}
