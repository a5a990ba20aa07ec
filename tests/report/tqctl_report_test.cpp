// tqctl report FILE.tq -o OUT.pdf, run as a child process.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "params/tq_interface_doc.h"
#include "report_fixture.h"

using namespace testing_report;

namespace {

struct Result {
    int exitCode = -1;
    QString out, err;
};

class TqctlReportTest : public ::testing::Test {
protected:
    Result tqctl(const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");  // tqctl needs no display of its own
        env.remove("DISPLAY");
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral(TQCTL_PATH), args);
        EXPECT_TRUE(p.waitForFinished(30000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

}  // namespace

TEST_F(TqctlReportTest, WritesTheReportOfAParameterFile) {
    CTQ_InterfaceDoc document;
    document.OnNewDocument();
    document.fan1Mode = 1;
    document.sensor2.select = 4;
    ASSERT_TRUE(document.SaveAs(path("bench.tq").toStdString()));

    const Result r = tqctl({"report", "bench.tq", "-o", "bench.pdf"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_EQ(pdfPages(path("bench.pdf")), 1);
    const std::optional<QString> text = pdfText(path("bench.pdf"));
    ASSERT_TRUE(text);
    const QString squeezed = squeezedLines(*text).join('\n');
    EXPECT_TRUE(squeezed.contains("bench.tq - TQ_Interface"));
    EXPECT_TRUE(squeezed.contains("Mode ......... : Always on"));
    EXPECT_TRUE(squeezed.contains("High speed ... : 48.0"));
    EXPECT_TRUE(squeezed.contains("Type : PT100"));
    EXPECT_TRUE(squeezed.contains("Generated from [TQ_Interface 1.1.9a] and printed "));
}

TEST_F(TqctlReportTest, AFileThatDoesNotOpenGivesTheLoadersMessageAndNoOutput) {
    Result r = tqctl({"report", "absent.tq", "-o", "out.pdf"});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains("Unable to open \"absent.tq\"")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("out.pdf")));

    QFile junk(path("junk.tq"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is not a parameter file");
    junk.close();
    r = tqctl({"report", "junk.tq", "-o", "out.pdf"});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains(kMsgUnknownFileFormat)) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("out.pdf")));
}

TEST_F(TqctlReportTest, AnOutputThatCannotBeWrittenFailsCleanly) {
    CTQ_InterfaceDoc document;
    document.OnNewDocument();
    ASSERT_TRUE(document.SaveAs(path("a.tq").toStdString()));
    const Result r = tqctl({"report", "a.tq", "-o", "no/such/dir/a.pdf"});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains("Unable to write")) << r.err.toStdString();
}

TEST_F(TqctlReportTest, MissingArgumentsAreUsageErrors) {
    for (const QStringList& args : {QStringList{"report"}, QStringList{"report", "a.tq"},
                                    QStringList{"report", "a.tq", "-o"}, QStringList{"report", "a.tq", "--x"}}) {
        const Result r = tqctl(args);
        EXPECT_EQ(r.exitCode, 64) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("report FILE.tq -o OUT.pdf"));
    }
}
