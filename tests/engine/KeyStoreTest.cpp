#include "AppState.h"
#include "Fakes.h"
#include "SystemServices.h"

#include <gtest/gtest.h>

using namespace velt;
using namespace velt::test;

namespace {

struct Store {
    TempFolder folder;
    MemorySettingsStore settings;
    RecordingIndicators indicators;
    AppState state{folder.Path(), Services{.settings = &settings, .indicators = &indicators}};

    void Key(const std::string& name, std::size_t bytes) {
        WriteAll(folder / name, std::vector<std::uint8_t>(bytes, 0));
    }
    void ExpectFallback() {
        EXPECT_EQ(state.keyFileName, "KEY.ORB");
        EXPECT_EQ(state.keyLength, 366);
        EXPECT_EQ(settings.Read("key"), "KEY.ORB");
        EXPECT_EQ(settings.Read("keyLenght"), "366");
        EXPECT_EQ(indicators.checked, false);
    }
};

} // namespace

TEST(KeyStore_OpenKeyStore, MeasuresTheKeyInUse) {
    {
        Store s; // setting absent, KEY.ORB of 366 records
        s.Key("KEY.ORB", 94428);
        s.state.OpenKeyStore();
        EXPECT_EQ(s.state.keyFileName, "KEY.ORB");
        EXPECT_EQ(s.state.keyLength, 366);
        EXPECT_EQ(s.indicators.name, "KEY.ORB");
        EXPECT_EQ(s.indicators.slider, 366);
        EXPECT_EQ(s.indicators.label, "366");
        EXPECT_EQ(s.indicators.checked, true);
        EXPECT_TRUE(s.state.keyPresent);
        EXPECT_EQ(s.settings.Read("key"), "KEY.ORB");
    }
    {
        Store s; // setting names another key that exists beside KEY.ORB
        s.Key("KEY.ORB", 94428);
        s.Key("friend.orb", 258 * 2000);
        s.settings.Write("key", "friend.orb");
        s.settings.Write("keyLenght", "2000");
        s.state.OpenKeyStore();
        EXPECT_EQ(s.state.keyFileName, "friend.orb");
        EXPECT_EQ(s.state.keyLength, 2000);
        EXPECT_EQ(s.indicators.name, "friend.orb");
        EXPECT_EQ(s.settings.Read("keyLenght"), "2000");
    }
    {
        Store s; // setting names a missing file: back to KEY.ORB, measured from its size
        s.Key("KEY.ORB", 258 * 500);
        s.settings.Write("key", "gone.orb");
        s.state.OpenKeyStore();
        EXPECT_EQ(s.state.keyFileName, "KEY.ORB");
        EXPECT_EQ(s.state.keyLength, 500);
        EXPECT_EQ(s.settings.Read("key"), "KEY.ORB");
        EXPECT_EQ(s.settings.Read("keyLenght"), "366");
        EXPECT_EQ(s.indicators.checked, true);
    }
    {
        Store s; // a name that would leave the program's folder counts as missing
        s.Key("KEY.ORB", 258 * 500);
        s.Key("other.orb", 258 * 600);
        s.settings.Write("key", (s.folder.Path() / "other.orb").string());
        s.state.OpenKeyStore();
        EXPECT_EQ(s.state.keyFileName, "KEY.ORB");
    }
}

TEST(KeyStore_OpenKeyStore, OddSizesRoundHalfToEven) {
    Store s;
    s.Key("KEY.ORB", 366 * 258 + 129);
    s.state.OpenKeyStore();
    EXPECT_EQ(s.state.keyLength, 366);
    EXPECT_EQ(s.indicators.label, "366.5");
    s.Key("KEY.ORB", 367 * 258 + 129);
    s.state.OpenKeyStore();
    EXPECT_EQ(s.state.keyLength, 368);
    s.Key("KEY.ORB", 366 * 258 + 1);
    s.state.OpenKeyStore();
    EXPECT_EQ(s.state.keyLength, 366);
    EXPECT_EQ(s.indicators.label, "366.003875968992");
}

TEST(KeyStore_OpenKeyStore, UnusableKeysTakeTheFallback) {
    {
        Store s; // no KEY.ORB: the other key is not used either
        s.Key("friend.orb", 258 * 2000);
        s.settings.Write("key", "friend.orb");
        s.state.keyLength = 2000;
        s.state.OpenKeyStore();
        s.ExpectFallback();
        EXPECT_FALSE(s.state.keyPresent);
        EXPECT_EQ(s.indicators.name, "<untouched>");
        EXPECT_FALSE(s.indicators.slider.has_value());
        EXPECT_EQ(s.indicators.label, "<untouched>");
    }
    for (std::size_t bytes : {std::size_t{0}, std::size_t{99 * 258}, std::size_t{10001 * 258}}) {
        Store s; // the slider refuses fewer than 100 and more than 10000 records
        s.Key("KEY.ORB", bytes);
        s.state.OpenKeyStore();
        s.ExpectFallback();
        EXPECT_FALSE(s.state.keyPresent) << bytes;
    }
    {
        Store s; // KEY.ORB is a folder
        std::filesystem::create_directory(s.folder / "KEY.ORB");
        s.state.OpenKeyStore();
        s.ExpectFallback();
    }
    {
        Store s; // once present, a later fallback does not clear the flag
        s.Key("KEY.ORB", 94428);
        s.state.OpenKeyStore();
        std::filesystem::remove(s.folder / "KEY.ORB");
        s.state.OpenKeyStore();
        s.ExpectFallback();
        EXPECT_TRUE(s.state.keyPresent);
        EXPECT_EQ(s.indicators.slider, 366) << "slider left as it was";
    }
    {
        Store s; // without a window the slider's range still holds
        AppState headless(s.folder.Path());
        s.Key("KEY.ORB", 50 * 258);
        headless.OpenKeyStore();
        EXPECT_FALSE(headless.keyPresent);
        EXPECT_EQ(headless.keyLength, 366);
    }
}
