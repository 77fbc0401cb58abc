// SPDX-License-Identifier: GPL-3.0-or-later
// The install tree and the Debian package, as a distribution or a user gets
// them: a staged install, its validators, and the .deb installed into and
// removed from a throwaway root.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kAppId = "io.github.voicetray.VoiceTray";
const QList<int> kIconSizes{16, 22, 24, 32, 48, 64, 128, 256};

struct Outcome
{
    int status = -1;
    QByteArray output;
};

Outcome run(const QString& program, const QStringList& args, const QStringList& environment = {},
            int timeoutMs = 60000)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& setting : environment)
        env.insert(setting.section('=', 0, 0), setting.section('=', 1));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    Outcome result;
    if (process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit)
        result.status = process.exitCode();
    result.output = process.readAll();
    return result;
}

QString binaryDir()
{
    return qEnvironmentVariable("VT_BINARY_DIR");
}

// The files every install must hold, relative to the prefix.
QStringList expectedFiles()
{
    QStringList files{"bin/voicetray", "share/applications/" + kAppId + ".desktop",
                      "share/metainfo/" + kAppId + ".metainfo.xml",
                      "share/icons/hicolor/scalable/apps/" + kAppId + ".svg"};
    for (int size : kIconSizes)
        files << QString("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId);
    return files;
}

void expectValid(const QString& prefix)
{
    ASSERT_FALSE(QStandardPaths::findExecutable("desktop-file-validate").isEmpty())
        << "desktop-file-validate is missing: apt-get install desktop-file-utils";
    ASSERT_FALSE(QStandardPaths::findExecutable("appstreamcli").isEmpty())
        << "appstreamcli is missing: apt-get install appstream";
    for (const QString& file : expectedFiles())
        EXPECT_TRUE(QFile::exists(prefix + "/" + file)) << file.toStdString();
    for (int size : kIconSizes) {
        const QImage icon(prefix +
                          QString("/share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId));
        EXPECT_EQ(icon.size(), QSize(size, size));
        EXPECT_GT(qAlpha(icon.pixel(size / 2, size / 2)), 200); // drawn, not blank
    }
    const Outcome desktop =
        run("desktop-file-validate", {prefix + "/share/applications/" + kAppId + ".desktop"});
    EXPECT_EQ(desktop.status, 0) << desktop.output.constData();
    EXPECT_TRUE(desktop.output.trimmed().isEmpty()) << desktop.output.constData();
    const Outcome metainfo =
        run("appstreamcli",
            {"validate", "--no-net", prefix + "/share/metainfo/" + kAppId + ".metainfo.xml"});
    EXPECT_EQ(metainfo.status, 0) << metainfo.output.constData();
}

} // namespace

TEST(Install, StagedInstallHoldsEveryFileAndValidates)
{
    QTemporaryDir stage;
    const Outcome install =
        run("cmake", {"--install", binaryDir(), "--prefix", "/usr"}, {"DESTDIR=" + stage.path()});
    ASSERT_EQ(install.status, 0) << install.output.constData();
    expectValid(stage.path() + "/usr");
}

TEST(Install, DebianPackageInstallsAndRemovesCleanly)
{
    ASSERT_FALSE(QStandardPaths::findExecutable("dpkg-shlibdeps").isEmpty())
        << "dpkg-shlibdeps is missing: apt-get install dpkg-dev";
    QTemporaryDir work;
    const Outcome pack = run(
        "cpack", {"-G", "DEB", "--config", binaryDir() + "/CPackConfig.cmake", "-B", work.path()});
    ASSERT_EQ(pack.status, 0) << pack.output.constData();
    const QStringList debs = QDir(work.path()).entryList({"voicetray_*.deb"});
    ASSERT_EQ(debs.size(), 1);
    const QString deb = work.path() + "/" + debs.first();

    const Outcome info =
        run("dpkg-deb", {"--field", deb, "Package", "Depends", "Recommends", "Description"});
    ASSERT_EQ(info.status, 0) << info.output.constData();
    for (const char* dependency :
         {"libqt6widgets6", "libavformat", "libpulse0", "libxkbcommon-x11-0", "qt6-qpa-plugins"})
        EXPECT_TRUE(info.output.contains(dependency)) << dependency << "\n"
                                                      << info.output.constData();
    EXPECT_TRUE(
        info.output.contains("Description: voice recorder in the system tray\n VoiceTray records"))
        << info.output.constData();
    // Every dependency can be met from the Debian archive this machine knows.
    const Outcome simulate =
        run("apt-get", {"install", "--simulate", "--no-install-recommends", deb});
    EXPECT_EQ(simulate.status, 0) << simulate.output.constData();

    // Into an empty root and out again, leaving nothing behind.
    const QString root = work.path() + "/root";
    QDir().mkpath(root + "/var/lib/dpkg/updates");
    QDir().mkpath(root + "/var/lib/dpkg/info");
    QFile status(root + "/var/lib/dpkg/status");
    ASSERT_TRUE(status.open(QIODevice::WriteOnly));
    status.close();
    const QStringList dpkg{"--root=" + root, "--log=/dev/null", "--force-not-root",
                           "--force-depends"};
    const Outcome installed = run("dpkg", dpkg + QStringList{"--install", deb});
    ASSERT_EQ(installed.status, 0) << installed.output.constData();
    expectValid(root + "/usr");
    const Outcome listed =
        run("dpkg-query", {"--root=" + root, "--show", "--showformat=${Status}", "voicetray"});
    EXPECT_EQ(listed.output, "install ok installed");

    const Outcome removed = run("dpkg", dpkg + QStringList{"--purge", "voicetray"});
    ASSERT_EQ(removed.status, 0) << removed.output.constData();
    QStringList left;
    for (QDirIterator it(root + "/usr", QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        left << it.next();
    EXPECT_TRUE(left.isEmpty()) << left.join('\n').toStdString();
}
