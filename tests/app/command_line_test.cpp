// What a start is asked to do, from its arguments.
#include <gtest/gtest.h>

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
    EXPECT_EQ(open.fileName, QStringLiteral("bench.tq"));
    EXPECT_TRUE(open.simulate);

    const CommandLine port = parse({"--port", "/dev/ttyUSB0"});
    EXPECT_EQ(port.action, CommandLine::Action::NewDocument);
    EXPECT_EQ(port.port, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_FALSE(port.simulate);

    const CommandLine printTo = parse({"--print-to", "lab", "a.tq"});
    EXPECT_EQ(printTo.action, CommandLine::Action::PrintTo);
    EXPECT_EQ(printTo.printerName, QStringLiteral("lab"));
    EXPECT_EQ(printTo.fileName, QStringLiteral("a.tq"));
}

TEST(CommandLine, BadArgumentsAreRefusedWithAReason) {
    for (const auto& args : {parse({"--port"}), parse({"--print"}), parse({"a.tq", "b.tq"}),
                             parse({"--frobnicate"}), parse({"--print-to"})}) {
        EXPECT_EQ(args.action, CommandLine::Action::Invalid);
        EXPECT_FALSE(args.error.isEmpty());
    }
}

}  // namespace
