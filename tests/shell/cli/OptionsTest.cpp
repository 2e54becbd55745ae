// The command line as qmr51ctl reads it: "-o=FILE" and "--name=value" give the value, never the next word.
#include "shell/cli/Options.h"
#include <gtest/gtest.h>

TEST(Options, AValueAfterAnEqualsSignIsTheValue)
{
    struct Case { QStringList args; QString outputFile; QString port; QStringList words; QString error; };
    const Case cases[] = {
        {{"log", "-o=out.txt", "--port", "COM3"}, "out.txt", "COM3", {}, {}},
        {{"log", "--output=a=b.txt"}, "a=b.txt", "auto", {}, {}},
        {{"log", "-o", "out.txt"}, "out.txt", "auto", {}, {}},
        {{"set", "--port=COM2", "modbus=7"}, {}, "COM2", {"modbus=7"}, {}},
        {{"log", "-o="}, {}, {}, {}, "-o needs a value"},
        {{"scan", "--json=no"}, {}, {}, {}, "--json takes no value"},
    };
    for (const Case& c : cases) {
        const shell::cli::Options o = shell::cli::parseOptions(c.args);
        const std::string line = c.args.join(' ').toStdString();
        EXPECT_EQ(o.error, c.error) << line;
        EXPECT_TRUE(!c.error.isEmpty() || (o.outputFile == c.outputFile && o.port == c.port && o.words == c.words)) << line;
    }
}
