#include "AppState.h"
#include "Fakes.h"
#include "SystemServices.h"

#include <gtest/gtest.h>

using namespace velt;
using namespace velt::test;

namespace {

/// A program folder with the given files (name, size) and setting `key`, after OpenKeyStore.
struct Opened {
    TempFolder folder;
    MemorySettingsStore settings;
    RecordingIndicators indicators;
    AppState state{folder.Path(), Services{.settings = &settings, .indicators = &indicators}};

    Opened(std::initializer_list<std::pair<const char*, std::size_t>> files, const char* key = nullptr) {
        for (const auto& [name, size] : files) {
            WriteAll(folder / name, std::vector<std::uint8_t>(size, 0));
        }
        if (key != nullptr) {
            settings.Write("key", key);
            settings.Write("keyLenght", "untouched");
        }
        state.OpenKeyStore();
    }
    void ExpectUsed(const std::string& name, int length, const std::string& label) {
        EXPECT_EQ(state.keyFileName, name);
        EXPECT_EQ(state.keyLength, length);
        EXPECT_EQ(indicators.name, name);
        EXPECT_EQ(indicators.slider, length);
        EXPECT_EQ(indicators.label, label);
        EXPECT_EQ(indicators.checked, true);
        EXPECT_TRUE(state.keyPresent);
    }
    void ExpectFallback() {
        EXPECT_EQ(state.keyFileName, "KEY.ORB");
        EXPECT_EQ(state.keyLength, 366);
        EXPECT_EQ(settings.Read("key"), "KEY.ORB");
        EXPECT_EQ(settings.Read("keyLenght"), "366");
        EXPECT_EQ(indicators.checked, false);
        EXPECT_FALSE(indicators.slider.has_value()) << "slider left as it was";
        EXPECT_EQ(indicators.label, "-");
    }
};

} // namespace

TEST(KeyStore_OpenKeyStore, MeasuresTheKeyInUse) {
    Opened plain({{"KEY.ORB", 94428}});
    plain.ExpectUsed("KEY.ORB", 366, "366");
    EXPECT_EQ(plain.settings.Read("key"), "KEY.ORB") << "an absent setting is rewritten";

    Opened other({{"KEY.ORB", 94428}, {"friend.orb", 258 * 2000}}, "friend.orb");
    other.ExpectUsed("friend.orb", 2000, "2000");
    EXPECT_EQ(other.settings.Read("keyLenght"), "untouched");

    // A named key that is gone: back to KEY.ORB, settings rewritten, length from its size.
    Opened gone({{"KEY.ORB", 258 * 500}}, "gone.orb");
    gone.ExpectUsed("KEY.ORB", 500, "500");
    EXPECT_EQ(gone.settings.Read("keyLenght"), "366");

    // A name that would leave the program's folder counts as missing.
    Opened outside({{"KEY.ORB", 258 * 500}}, "/etc/hostname");
    EXPECT_EQ(outside.state.keyFileName, "KEY.ORB");

    // Sizes that are no whole number of records: the label shows the quotient, the length
    // rounds half to even.
    Opened half({{"KEY.ORB", 366 * 258 + 129}});
    half.ExpectUsed("KEY.ORB", 366, "366.5");
    Opened upper({{"KEY.ORB", 367 * 258 + 129}});
    upper.ExpectUsed("KEY.ORB", 368, "367.5");
    Opened odd({{"KEY.ORB", 366 * 258 + 1}});
    odd.ExpectUsed("KEY.ORB", 366, "366.003875968992");
}

TEST(KeyStore_OpenKeyStore, UnusableKeysTakeTheFallback) {
    Opened noDefault({{"friend.orb", 258 * 2000}}, "friend.orb");
    noDefault.ExpectFallback();
    EXPECT_FALSE(noDefault.state.keyPresent);
    EXPECT_EQ(noDefault.indicators.name, "-");

    // The slider refuses fewer than 100 and more than 10000 records; an empty file is no key.
    for (std::size_t bytes : {std::size_t{0}, std::size_t{99 * 258 + 128}, std::size_t{10001 * 258}}) {
        Opened refused({{"KEY.ORB", bytes}});
        refused.ExpectFallback();
        EXPECT_FALSE(refused.state.keyPresent) << bytes;
    }

    Opened folder({});
    std::filesystem::create_directory(folder.folder / "KEY.ORB");
    folder.state.OpenKeyStore();
    folder.ExpectFallback();

    // Once present, a later fallback does not clear the flag.
    Opened later({{"KEY.ORB", 94428}});
    std::filesystem::remove(later.folder / "KEY.ORB");
    later.indicators = RecordingIndicators{};
    later.state.OpenKeyStore();
    later.ExpectFallback();
    EXPECT_TRUE(later.state.keyPresent);
}
