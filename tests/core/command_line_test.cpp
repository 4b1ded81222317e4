#include "core/command_line.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Parsed {
    int result;
    core::RunSettings run;
};

Parsed parse(const std::vector<std::string>& args) {
    // The settings point into argv, so the texts outlive the call.
    static std::vector<std::string> texts;
    texts = args;
    texts.insert(texts.begin(), "Tolvek");
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);
    Parsed parsed{0, core::default_settings};
    parsed.result = core::read_command_line(static_cast<int>(texts.size()), argv.data(), &parsed.run);
    return parsed;
}

TEST(ReadCommandLine, RefusesCommandLines) {
    const std::vector<std::vector<std::string>> refused = {
        {},
        {"in.log", "f.rt2"},
        {"a", "b", "c", "d"},
        {"in.log", "f.rt2", "b.rt2", "/q5"},
        {"in.log", "f.rt2", "-"},
        {"in.log", "f.rt2", "/"},
        {"/home/me/log.nmea", "f.rt2", "b.rt2"},
    };
    for (const auto& args : refused) EXPECT_EQ(1, parse(args).result) << args.size();
}

TEST(ReadCommandLine, ThreeOptionsLeaveTheInputEmpty) {
    Parsed parsed = parse({"/m1", "/x2", "/a3"});
    ASSERT_EQ(0, parsed.result);
    EXPECT_STREQ("", parsed.run.input_path);
    EXPECT_STREQ("forward.rt2", parsed.run.forward_path);
    EXPECT_STREQ("backward.rt2", parsed.run.backward_path);
    EXPECT_EQ(1.0, parsed.run.min_distance_m);
    EXPECT_EQ(2.0, parsed.run.max_distance_m);
    EXPECT_EQ(3.0, parsed.run.max_angle_deg);
    EXPECT_EQ(50.0, parsed.run.max_orth_error_m);
}

TEST(ReadCommandLine, OptionValues) {
    struct Case {
        const char* option;
        double min_distance_m;
    } cases[] = {
        {"-M12.5", 12.5}, {"/m12.5", 12.5}, {"/m", 0.0},     {"/mabc", 0.0},
        {"/m2,5", 2.0},   {"/m1e2", 100.0}, {"/m-3", -3.0},  {"/mnt/track.log", 0.0},
    };
    for (const Case& c : cases) {
        Parsed parsed = parse({"in.log", c.option, "f.rt2"});
        ASSERT_EQ(0, parsed.result) << c.option;
        EXPECT_EQ(c.min_distance_m, parsed.run.min_distance_m) << c.option;
    }
}

TEST(ReadCommandLine, LaterOptionReplacesEarlierAndLettersIgnoreCase) {
    Parsed parsed = parse({"/m10", "in.log", "/m20", "/X7", "-e9", "/A1.5"});
    ASSERT_EQ(0, parsed.result);
    EXPECT_EQ(20.0, parsed.run.min_distance_m);
    EXPECT_EQ(7.0, parsed.run.max_distance_m);
    EXPECT_EQ(1.5, parsed.run.max_angle_deg);
    EXPECT_EQ(9.0, parsed.run.max_orth_error_m);
    EXPECT_STREQ("in.log", parsed.run.input_path);
    EXPECT_STREQ("forward.rt2", parsed.run.forward_path);
}

TEST(ReadCommandLine, NamesOfAnyLengthAreKeptWhole) {
    std::string long_name(300, 'n');
    Parsed parsed = parse({"in.log", long_name, "b.rt2"});
    ASSERT_EQ(0, parsed.result);
    EXPECT_EQ(long_name, parsed.run.forward_path);
    EXPECT_STREQ("b.rt2", parsed.run.backward_path);
}

}  // namespace
