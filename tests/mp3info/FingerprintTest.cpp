// The fingerprint against fpcalc's on the same generated files: the decode
// and the stretch heard must be the same to the bit.
#include <gtest/gtest.h>

#include <string>

#include "Fingerprinter.h"
#include "Mp3Info.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

struct Case {
    const char* name;
    long seconds;
    std::vector<std::string> lame;
    int channels;
};

TEST(Fingerprint, EqualsFpcalcs) {
    if (!test::HaveProgram("fpcalc")) {
        GTEST_SKIP() << "fpcalc is not installed (libchromaprint-tools)";
    }
    test::TempDir dir;
    // Longer than the two minutes heard, a short one, a mono VBR one.
    const Case cases[] = {{"long.mp3", 130, {"-b", "128"}, 2},
                          {"short.mp3", 20, {"-b", "192"}, 2},
                          {"mono.mp3", 40, {"-V", "4"}, 1}};
    for (const Case& c : cases) {
        const std::string path =
            test::MakeMp3(dir.path(), c.name, 44100 * c.seconds, c.lame, c.channels);
        ASSERT_FALSE(path.empty());
        std::string expected;
        // fpcalc ends with 3 after a warning at the end of a short file, and
        // prints all the same.
        test::RunProcess({"fpcalc", path}, &expected);
        std::string fingerprint;
        int seconds = 0;
        ASSERT_EQ(ComputeFingerprint(path, fingerprint, seconds), 0) << c.name;
        EXPECT_EQ("DURATION=" + std::to_string(seconds) + "\nFINGERPRINT=" + fingerprint + "\n",
                  expected)
            << c.name;
    }
}

TEST(Fingerprint, RefusesWhatIsNoMp3AndTheComponentNeedsNoOpen) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteFileBytes(dir.File("text.mp3"), std::string(5000, 'x')));
    Mp3InfoObject* object = CreateMp3Info();
    std::string fingerprint = "stale";
    int seconds = 7;
    EXPECT_NE(object->GetFingerprint(dir.File("text.mp3"), fingerprint, seconds), 0);
    EXPECT_NE(object->GetFingerprint(dir.File("missing.mp3"), fingerprint, seconds), 0);
    EXPECT_EQ(fingerprint, "");
    EXPECT_EQ(seconds, 0);
    const std::string good = test::MakeMp3(dir.path(), "good.mp3", 44100 * 10, {"-b", "96"});
    EXPECT_EQ(object->GetFingerprint(good, fingerprint, seconds), 0);
    EXPECT_EQ(seconds, 10);
    EXPECT_GT(fingerprint.size(), 100u);
    object->Release();
}

}  // namespace
}  // namespace corvane
