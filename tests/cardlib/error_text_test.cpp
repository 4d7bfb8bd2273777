// KTR4_error_text: a distinct text for every code the header defines, the simulated card's
// own codes included, and an honest text for any other number.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <thread>

#include "ktr4.h"
#include "ktr4sim.h"

namespace {

// The status codes as the headers define them, read from the headers themselves so that a
// code added later without a text fails here.
std::set<int32_t> defined_codes()
{
    std::set<int32_t> codes;
    const std::regex define(R"(#define (KTR4_OK|KTR4_ERR_\w+|KTR4SIM_ERR_\w+)\s+(\d+))");
    for (const char* header : {KTR4_HEADER, KTR4SIM_HEADER}) {
        std::ifstream in(header);
        std::string line;
        std::smatch match;
        while (std::getline(in, line))
            if (std::regex_search(line, match, define))
                codes.insert(std::stoi(match[2]));
    }
    return codes;
}

TEST(ErrorText, EveryDefinedCodeHasItsOwnText)
{
    const std::set<int32_t> codes = defined_codes();
    ASSERT_GE(codes.size(), 21u);  // 0, 100, 102, 300..313 (14 of them), 900, 901, 1001..1004
    std::set<std::string> texts;
    for (int32_t code : codes) {
        const std::string text = KTR4_error_text(code);
        EXPECT_EQ(text.find("unknown"), std::string::npos) << code << ": " << text;
        EXPECT_EQ(text, KTR4_error_text(code)) << "the text of a known code is constant";
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), codes.size()) << "two codes share a text";
}

TEST(ErrorText, AnUnknownCodeSaysSoAndShowsItsNumberInEveryThread)
{
    EXPECT_NE(std::string(KTR4_error_text(307)).find("unknown result code 307"), std::string::npos);
    EXPECT_NE(std::string(KTR4_error_text(-5)).find("-5"), std::string::npos);
    const char* here = KTR4_error_text(123456);
    std::string there;
    std::thread([&] { there = KTR4_error_text(-2147483647 - 1); }).join();
    EXPECT_NE(there.find("-2147483648"), std::string::npos);
    EXPECT_NE(std::string(here).find("123456"), std::string::npos) << "another thread's call overwrote this one's";
}

}  // namespace
