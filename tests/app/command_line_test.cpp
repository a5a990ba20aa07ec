// What a start is asked to do, from its arguments.
#include <gtest/gtest.h>

#include <QDir>

#include "app/command_line.h"

namespace {

CommandLine parse(std::initializer_list<const char*> args) {
    QStringList list;
    for (const char* a : args) list << QString::fromUtf8(a);
    return CommandLine::parse(list);
}

TEST(CommandLine, DocumentAndConnectionChoices) {
    EXPECT_EQ(parse({}).action, CommandLine::Action::NewDocument);

    const CommandLine open = parse({"bench.tq", "--simulate"});
    EXPECT_EQ(open.action, CommandLine::Action::OpenFile);
    EXPECT_EQ(open.fileName, QDir::current().absoluteFilePath(QStringLiteral("bench.tq")));
    EXPECT_TRUE(open.simulate);

    const CommandLine port = parse({"--port", "/dev/ttyUSB0"});
    EXPECT_EQ(port.action, CommandLine::Action::NewDocument);
    EXPECT_EQ(port.port, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_FALSE(port.simulate);

    const CommandLine printTo = parse({"--print-to", "lab", "a.tq"});
    EXPECT_EQ(printTo.action, CommandLine::Action::PrintTo);
    EXPECT_EQ(printTo.printerName, QStringLiteral("lab"));
    EXPECT_EQ(printTo.fileName, QDir::current().absoluteFilePath(QStringLiteral("a.tq")));

    const CommandLine load = parse({"--plant", "laser-mount", "--plant-param", "delay=2", "--sim-speed", "8"});
    EXPECT_TRUE(load.simulate) << "a load is the virtual regulator's";
    EXPECT_EQ(load.plant, QStringLiteral("laser-mount"));
    EXPECT_EQ(load.plantParams, QStringList{QStringLiteral("delay=2")});
    EXPECT_DOUBLE_EQ(load.simSpeed, 8.0);
}

TEST(CommandLine, BadArgumentsAreRefusedWithAReason) {
    for (const auto& args : {parse({"--port"}), parse({"--print"}), parse({"a.tq", "b.tq"}),
                             parse({"--frobnicate"}), parse({"--print-to"}), parse({"--sim-speed", "fast"}),
                             parse({"--sim-speed", "99"}), parse({"--plant"})}) {
        EXPECT_EQ(args.action, CommandLine::Action::Invalid);
        EXPECT_FALSE(args.error.isEmpty());
    }
}

// The working directory changes to USER_PATH before the file is opened, so
// the name is made absolute against the start directory while parsing.
TEST(CommandLine, FilesAreResolvedAgainstTheStartDirectory) {
    const CommandLine cl = CommandLine::parse({"sub/../sub/a.tq", "--log", "run.txt", "--screenshots", "shots"},
                                              QStringLiteral("/home/op/bench"));
    EXPECT_EQ(cl.action, CommandLine::Action::OpenFile);
    EXPECT_EQ(cl.fileName, QStringLiteral("/home/op/bench/sub/a.tq"));
    EXPECT_EQ(cl.logFile, QStringLiteral("/home/op/bench/run.txt"));
    EXPECT_EQ(cl.screenshotDir, QStringLiteral("/home/op/bench/shots"));
    const CommandLine absolute = CommandLine::parse({"/data/b.tq"}, QStringLiteral("/home/op"));
    EXPECT_EQ(absolute.fileName, QStringLiteral("/data/b.tq"));
    EXPECT_EQ(CommandLine::parse({"--log"}).action, CommandLine::Action::Invalid);
}

}  // namespace
