#include "model/param_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "model/param_image.h"

namespace dvx::model {
namespace {

class ParamListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_image_ = param_image;
        saved_count_ = param_count;
        // A recognisable image: word i holds 1000 + i, with a few sign and range edges.
        std::iota(param_image.begin(), param_image.end(), std::int16_t{1000});
        param_image[0] = 9;
        param_image[1] = 100;
        param_image[2] = -1;
        param_image[3] = -32768;
        param_image[4] = 32767;
        param_count = 127;
    }
    void TearDown() override {
        param_image = saved_image_;
        param_count = saved_count_;
    }
    static std::string numbers(int n, int first = 0) {
        std::string t;
        for (int i = 0; i < n; ++i) t += (i ? "|" : "") + std::to_string(first + i);
        return t;
    }

  private:
    std::array<std::int16_t, param_image_size> saved_image_{};
    std::int16_t saved_count_ = 0;
};

TEST_F(ParamListTest, TextHoldsParamCountWords) {
    for (int count : {127, 128, 140}) {
        SCOPED_TRACE(count);
        param_count = static_cast<std::int16_t>(count);
        const std::string t = params_to_text();
        EXPECT_EQ(std::count(t.begin(), t.end(), '|'), count - 1);
        EXPECT_EQ(t.rfind("9|100|-1|-32768|32767|1005|", 0), 0u);
        EXPECT_EQ(t.substr(t.rfind('|') + 1), std::to_string(1000 + count - 1));
    }
}

TEST_F(ParamListTest, OwnTextReadsBackToTheSameText) {
    param_count = 140;
    const std::string before = params_to_text();
    const auto image = param_image;
    std::fill(param_image.begin(), param_image.begin() + 140, std::int16_t{0});
    std::string t = before;
    ASSERT_TRUE(text_to_params_list(t));
    EXPECT_EQ(t, "");
    EXPECT_EQ(param_image, image);
    EXPECT_EQ(params_to_text(), before);
}

TEST_F(ParamListTest, BadTextChangesNothing) {
    const std::string good = numbers(127);
    const std::pair<const char*, std::string> cases[] = {
        {"empty text", ""},
        {"blank only", " "},
        {"empty field", "5||7|" + numbers(124)},
        {"bar at the end", numbers(127) + "|"},
        {"bar at the start", "|" + numbers(127)},
        {"not a number", numbers(60) + "|x|" + numbers(66)},
        {"above the 16-bit range", "32768|" + numbers(126)},
        {"below the 16-bit range", numbers(126) + "|-32769"},
        {"bad field after the stored ones", good + "|abc"},
    };
    const auto image = param_image;
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        std::string t = text;
        EXPECT_FALSE(text_to_params_list(t));
        EXPECT_EQ(t, text);
        EXPECT_EQ(param_image, image);
    }
}

TEST_F(ParamListTest, AShorterTextFillsTheFirstWordsOnly) {
    // A 128-word set taken while a 140-word firmware is in force, and smaller cuts.
    for (const auto& [count, fields] : {std::pair{140, 128}, {128, 127}, {127, 1}}) {
        SCOPED_TRACE(std::to_string(count) + " words, " + std::to_string(fields) + " fields");
        param_count = static_cast<std::int16_t>(count);
        const auto before = param_image;
        std::string t = numbers(fields, -50);
        ASSERT_TRUE(text_to_params_list(t));
        EXPECT_EQ(t, "");
        for (int i = 0; i < fields; ++i) ASSERT_EQ(param_image[i], i - 50) << i;
        EXPECT_TRUE(
            std::equal(param_image.begin() + fields, param_image.end(), before.begin() + fields))
            << "the words after the text keep their values";
        param_image = before;
    }
}

TEST_F(ParamListTest, FieldsAreReadAsNumbers) {
    param_count = 4;
    std::string t = " 12|2.5|-32768.5|3.5";
    ASSERT_TRUE(text_to_params_list(t));
    EXPECT_EQ(param_image[0], 12);
    EXPECT_EQ(param_image[1], 2);  // halves to even
    EXPECT_EQ(param_image[2], -32768);
    EXPECT_EQ(param_image[3], 4);
    EXPECT_EQ(param_image[4], 32767);  // beyond param_count: untouched
}

TEST_F(ParamListTest, NeverWritesPastParamCount) {
    // A factory copy of a 140-word device applied while 127 words are in force.
    std::string t = numbers(140, -70);
    ASSERT_TRUE(text_to_params_list(t));
    EXPECT_EQ(param_image[126], 56);
    EXPECT_EQ(param_image[127], 1127);
    EXPECT_EQ(t, numbers(13, 57));  // the fields not stored stay in the text

    // A count outside the image is held to it.
    param_count = 2000;
    const std::string whole = params_to_text();
    EXPECT_EQ(std::count(whole.begin(), whole.end(), '|'), param_image_size - 1);
    std::string all = numbers(param_image_size + 5);
    ASSERT_TRUE(text_to_params_list(all));
    EXPECT_EQ(param_image[1000], 1000);
    EXPECT_EQ(all, "1001|1002|1003|1004|1005");
    param_count = -3;
    EXPECT_EQ(params_to_text(), "");
}

}  // namespace
}  // namespace dvx::model
