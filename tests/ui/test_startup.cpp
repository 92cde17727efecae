// A smoke start of the real program and its command line: --simulate and the
// options that need it, --device, --trace, one data file at most. A refused line
// exits with the reason; an accepted one keeps the window open.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace {

using namespace Qt::StringLiterals;

TEST(Startup, CommandLineOptions) {
    QTemporaryDir tmp;
    const QString trace = tmp.filePath(u"t.trace"_s);
    const struct {
        QString args;
        int exit;  // -1: still running after a second
        const char* says;
    } cases[] = {
        {u"--sim-status 00"_s, 2, "valdrometrica: --sim-status needs --simulate"},
        {u"a.dat b.dat"_s, 2, "at most one data file"},
        {u"--trace /no/such/dir/t"_s, 2, "/no/such/dir/t"},
        {u"--device"_s, 1, "--device"},
        {u"--simulate --trace "_s + trace + u" x.dat"_s, -1, ""},
        {u"--device /dev/null"_s, -1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.toStdString());
        QProcess p;
        p.start(QStringLiteral(VALDRO_BIN_DIR "/valdrometrica"), c.args.split(u' '));
        ASSERT_TRUE(p.waitForStarted());
        ASSERT_EQ(p.waitForFinished(c.exit < 0 ? 1000 : 15000), c.exit >= 0);
        if (c.exit >= 0) {  // a window still open is closed with the process
            EXPECT_EQ(p.exitCode(), c.exit);
            EXPECT_TRUE((p.readAllStandardError() + p.readAllStandardOutput()).contains(c.says));
        }
    }
    EXPECT_TRUE(QFileInfo::exists(trace));  // the session the window runs was made
}

}  // namespace
