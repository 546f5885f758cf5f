#include "ports/dev_lister.h"

#include "fake_device_platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <stdexcept>

namespace bayhaul {
namespace {

using namespace testing;

GUID_Storage Storage(const RawGuid& raw) {
    GUID_Storage g;
    g.CopyFromThisPTR(raw.bytes);
    return g;
}

bool SameGuid(const GUID_Storage& a, const RawGuid& b) {
    RawGuid stored;
    a.CopyToThisPTR(stored.bytes);
    return std::memcmp(stored.bytes, b.bytes, 16) == 0;
}

class DevListerTest : public ::testing::Test {
protected:
    std::shared_ptr<FakePlatform> platform = std::make_shared<FakePlatform>();
    DevLister lister{platform};

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (std::int32_t i = 1; i <= lister.ListCount(); ++i) names.push_back(lister.Item(i)->GetName());
        return names;
    }
};

TEST_F(DevListerTest, GetGUIDByNameReplacesTheArrayOnlyOnSuccess) {
    platform->classes["Ports"] = {Guid(0x10), Guid(0x20)};
    std::vector<GUID_Storage> guids{Storage(Guid(0x90)), Storage(Guid(0x91)), Storage(Guid(0x92))};

    EXPECT_EQ(lister.GetGUIDByName("Modem", guids), "Incorrect class name");
    ASSERT_EQ(guids.size(), 3u);
    EXPECT_TRUE(SameGuid(guids[0], Guid(0x90)));

    platform->secondQueryError = 5;
    platform->messages[5] = "Access is denied.\r\n";
    EXPECT_EQ(lister.GetGUIDByName("Ports", guids), "Access is denied.\r\n");
    ASSERT_EQ(guids.size(), 3u);

    platform->secondQueryError.reset();
    EXPECT_EQ(lister.GetGUIDByName("Ports", guids), "OK");
    ASSERT_EQ(guids.size(), 2u);
    EXPECT_TRUE(SameGuid(guids[0], Guid(0x10)));
    EXPECT_TRUE(SameGuid(guids[1], Guid(0x20)));
}

TEST_F(DevListerTest, BadHandleCarriesTheSystemTextAndLeavesTheListAlone) {
    platform->devices = {Port(1, "Communications Port", "Communications Port (COM1)")};
    ASSERT_EQ(lister.AddToList(nullptr, true), "OK");

    platform->openError = 87;
    platform->messages[87] = "The parameter is incorrect.\r\n";
    EXPECT_EQ(lister.AddToList(nullptr, true), "(BAD HANDLE) The parameter is incorrect.\r\n");
    platform->openError = 31;  // a code without a system text
    EXPECT_EQ(lister.AddToList(nullptr, true), "(BAD HANDLE) ");
    EXPECT_EQ(lister.ListCount(), 1);
    EXPECT_EQ(platform->openSets, 0);
}

TEST_F(DevListerTest, ErrorTextLosesLeadingSpacesAndTheBlankBufferAfterItsNul) {
    platform->openError = 2;
    platform->messages[2] = "   padded text  ";
    EXPECT_EQ(lister.AddToList(nullptr, false), "(BAD HANDLE) padded text  ");
}

TEST_F(DevListerTest, FlagsAndClassFollowClassIdAndPresence) {
    const GUID_Storage ports = Storage(Guid(0x40));
    lister.AddToList(nullptr, false);
    lister.AddToList(nullptr, true);
    lister.AddToList(&ports, false);
    lister.AddToList(&ports, true);
    EXPECT_EQ(platform->openedFlags, (std::vector<std::uint32_t>{4, 6, 0, 2}));
    EXPECT_TRUE(SameGuid(GUID_Storage{}, platform->openedClasses[0]));
    EXPECT_TRUE(SameGuid(ports, platform->openedClasses[3]));
}

TEST_F(DevListerTest, ListsEachDeviceWithItsEnumerationDataAndTexts) {
    platform->devices = {Port(11, "USB Serial Port", "USB Serial Port (COM3)"), Port(12, "Communications Port", "")};
    platform->devices[1].classGuid = Guid(0x50);

    EXPECT_EQ(lister.AddToList(nullptr, true), "OK");
    ASSERT_EQ(lister.ListCount(), 2);
    const auto first = lister.Item(1);
    EXPECT_EQ(first->Info_DevInst, 11);
    EXPECT_TRUE(SameGuid(first->Info_ClassGUID, Guid(0x40)));
    EXPECT_EQ(first->SPDRP_DEVICEDESC, "USB Serial Port");
    EXPECT_EQ(first->SPDRP_FRIENDLYNAME, "USB Serial Port (COM3)");
    EXPECT_EQ(first->SPDRP_CLASS, "Ports");
    EXPECT_TRUE(SameGuid(lister.Item(2)->Info_ClassGUID, Guid(0x50)));
    // No friendly name: the description stands in, and the status stays "OK".
    EXPECT_EQ(Names(), (std::vector<std::string>{"USB Serial Port (COM3)", "Communications Port"}));
    EXPECT_EQ(platform->openSets, 0);
    for (std::uint32_t size : platform->declaredSizes) EXPECT_EQ(size, 500u);
}

TEST_F(DevListerTest, ADeviceWithNoTextsHasAnEmptyName) {
    platform->devices = {FakeDevice{3, Guid(0x40), {}}};
    EXPECT_EQ(lister.AddToList(nullptr, true), "OK");
    EXPECT_EQ(Names(), (std::vector<std::string>{""}));
}

TEST_F(DevListerTest, TextLengthComesFromTheRequiredSize) {
    FakeDevice d{1, Guid(0x40), {}};
    d.properties[kSpdrpDeviceDesc] = {std::string("0123456789") + '\0', {}};                  // required 11
    d.properties[kSpdrpFriendlyName] = {std::string(499, 'x') + '\0', {}};                    // exactly 500
    d.properties[kSpdrpClass] = {std::string("Ports") + '\0' + "garbage", std::uint32_t{0}};  // nothing
    platform->devices = {d};
    EXPECT_EQ(lister.AddToList(nullptr, true), "OK");
    const auto record = lister.Item(1);
    EXPECT_EQ(record->SPDRP_DEVICEDESC, "0123456789");
    EXPECT_EQ(record->SPDRP_FRIENDLYNAME.size(), 499u);
    EXPECT_EQ(record->SPDRP_CLASS, "");
}

TEST_F(DevListerTest, OversizedPropertyNamesTheMemberAndTheLastReadWins) {
    FakeDevice bigClass = Port(1, "Communications Port", "Communications Port (COM1)");
    bigClass.properties[kSpdrpClass].required = 612;
    FakeDevice bigFriendly = Port(2, "Communications Port", "Communications Port (COM2)");
    bigFriendly.properties[kSpdrpFriendlyName].required = 501;

    platform->devices = {bigFriendly, bigClass};
    EXPECT_EQ(lister.AddToList(nullptr, true), "SPDRP_CLASS Buffer too small 612 vs 500");
    EXPECT_EQ(lister.Item(2)->SPDRP_CLASS, "");
    EXPECT_EQ(lister.Item(1)->SPDRP_FRIENDLYNAME, "");
    EXPECT_EQ(lister.Item(1)->GetName(), "Communications Port");

    // The friendly-name failure is followed by a good class read: "OK".
    platform->devices = {bigClass, bigFriendly};
    EXPECT_EQ(lister.AddToList(nullptr, true), "OK");
    EXPECT_EQ(lister.ListCount(), 4);

    bigFriendly.properties[kSpdrpDeviceDesc].required = 1000;
    bigFriendly.properties.erase(kSpdrpFriendlyName);
    bigFriendly.properties.erase(kSpdrpClass);
    platform->devices = {bigFriendly};
    EXPECT_EQ(lister.AddToList(nullptr, true), "OK");  // the missing class read has the last word
}

TEST_F(DevListerTest, EmptyClassListingTwiceAndItemBounds) {
    EXPECT_EQ(lister.ListCount(), 0);
    EXPECT_EQ(lister.AddToList(nullptr, true), "OK");
    EXPECT_EQ(lister.ListCount(), 0);
    EXPECT_THROW(lister.Item(1), std::out_of_range);

    platform->devices = {Port(1, "Communications Port", "Communications Port (COM1)"),
                         Port(2, "USB Serial Port", "USB Serial Port (COM2)")};
    lister.AddToList(nullptr, true);
    const auto kept = lister.Item(1);
    lister.AddToList(nullptr, true);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Communications Port (COM1)", "USB Serial Port (COM2)",
                                                 "Communications Port (COM1)", "USB Serial Port (COM2)"}));
    EXPECT_EQ(lister.Item(1), kept);
    EXPECT_NE(lister.Item(3), kept);
    for (std::int32_t bad : {0, 5, -1}) EXPECT_THROW(lister.Item(bad), std::out_of_range) << bad;
    EXPECT_EQ(lister.ListCount(), 4);
}

TEST_F(DevListerTest, RecordsOutliveTheLister) {
    platform->devices = {Port(1, "Communications Port", "Communications Port (COM1)")};
    std::shared_ptr<DevInfo_Storage> record;
    {
        DevLister shortLived(platform);
        shortLived.AddToList(nullptr, true);
        record = shortLived.Item(1);
    }
    EXPECT_EQ(record->GetName(), "Communications Port (COM1)");
}

TEST(StrTrimToNull, CutsAtTheFirstNul) {
    EXPECT_EQ(DevLister::StrTrimToNull(std::string("abc\0def", 7)), "abc");
    EXPECT_EQ(DevLister::StrTrimToNull("abc"), "abc");
    EXPECT_EQ(DevLister::StrTrimToNull(std::string("\0abc", 4)), "");
    EXPECT_EQ(DevLister::StrTrimToNull(""), "");
}

}  // namespace
}  // namespace bayhaul
