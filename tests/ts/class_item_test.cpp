// Persistent objects and the part tree: stored, loaded and stored again byte for byte; pads,
// patched sizes and streams that cannot go back; obsolete and unknown tags; damaged and hostile
// streams; the dump; and the part tree's queries.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <vector>

#include "core/endian.h"
#include "core/file_stream.h"
#include "core/mem_stream.h"
#include "core/stream_test_util.h"
#include "support/temp_folder.h"
#include "ts/class_item.h"
#include "ts/part_tree.h"

namespace {

using core::testing::VectorStream;
using ts::ClassItem;
using ts::TSPartBase;
using ts::TSPartList;
using ts::Vector3F;

// A leaf part of the tests' own: the part data, then a length and that many bytes. The first
// byte's low bit set means "size not known in advance" (stored with a patched size).
class TestLeaf final : public TSPartBase {
public:
    static constexpr std::uint32_t kTag = ts::PersistTag(21, 7);
    std::vector<std::uint8_t> extra;

    void Render(int) override {}
    [[nodiscard]] std::uint32_t getPersistTag() const override { return kTag; }
    [[nodiscard]] std::uint32_t getStoredSize() const override {
        if (!extra.empty() && (extra[0] & 1) != 0) return 0;
        return kStoredSize + 4 + static_cast<std::uint32_t>(extra.size());
    }
    int read(core::StreamIO& s, std::uint32_t version) override {
        std::uint32_t n = 0;
        if (!TSPartBase::read(s, version) || !readU32(s, &n) || n > bytesLeft(s)) return 0;
        extra.resize(n);
        return n == 0 || core::ReadAll(s, n, extra.data());
    }
    int write(core::StreamIO& s, std::uint32_t version) const override {
        int ok = TSPartBase::write(s, version) & writeU32(s, static_cast<std::uint32_t>(extra.size()));
        if (!extra.empty()) ok &= s.Write(static_cast<std::uint32_t>(extra.size()), extra.data());
        return ok;
    }
};

ClassItem* CreateLeaf(core::StreamIO& s, std::uint32_t version) {
    return ClassItem::createAndRead<TestLeaf>(s, version);
}

const ts::ClassRow kTestRows[] = {{TestLeaf::kTag, &CreateLeaf, "TestLeaf"}};

struct Persist : ::testing::Test {
    static void SetUpTestSuite() {
        ts::InstallShapeClasses();
        static bool registered = false;
        if (!registered) ClassItem::registerClasses(kTestRows, 1);
        registered = true;
    }
};

std::unique_ptr<TestLeaf> Leaf(std::int32_t id, std::vector<std::uint8_t> extra) {
    auto leaf = std::make_unique<TestLeaf>();
    leaf->fIDnumber = id;
    leaf->fRadius = 1.5f * static_cast<float>(id);
    leaf->fCenter = Vector3F{static_cast<float>(id), 2, -3};
    leaf->extra = std::move(extra);
    return leaf;
}

// list 1 { leaf 10 (3 bytes: odd), list 2 { leaf 20 (size patched, 5 bytes), leaf 21 }, leaf 11 }
std::unique_ptr<TSPartList> Tree() {
    auto root = std::make_unique<TSPartList>();
    root->fIDnumber = 1;
    root->fRadius = 40;
    root->AddPart(Leaf(10, {2, 4, 6}));
    auto inner = std::make_unique<TSPartList>();
    inner->fIDnumber = 2;
    inner->fTransform = 3;
    inner->AddPart(Leaf(20, {1, 9, 9, 9, 9}));
    inner->AddPart(Leaf(21, {}));
    root->AddPart(std::move(inner));
    root->AddPart(Leaf(11, {8}));
    return root;
}

std::vector<std::uint8_t> Store(const ClassItem& item, bool positionable = true) {
    VectorStream s(positionable);
    ClassItem::storeObject(&item, s, 1);
    return s.Bytes();
}

std::unique_ptr<ClassItem> Load(const std::vector<std::uint8_t>& bytes, std::uint32_t version = 1) {
    VectorStream s(bytes);
    return std::unique_ptr<ClassItem>(ClassItem::loadObject(s, version));
}

TEST_F(Persist, TreeStoresLoadsAndStoresAgainByteForByte) {
    const auto tree = Tree();
    const std::vector<std::uint8_t> first = Store(*tree);
    // Every block has an even length; the odd leaf is followed by one zero byte; the patched
    // leaf's size is its real data length.
    ASSERT_EQ(first.size() % 2, 0u);
    EXPECT_EQ(core::ReadU32(first.data()), TSPartList::kTag);
    const std::uint32_t oddLeafAt = 8 + 28;
    EXPECT_EQ(core::ReadU32(first.data() + oddLeafAt + 4), 24u + 4 + 3);
    EXPECT_EQ(first[oddLeafAt + 8 + 31], 0);
    const std::uint32_t patchedAt = oddLeafAt + 40 + 8 + 28;
    EXPECT_EQ(core::ReadU32(first.data() + patchedAt), TestLeaf::kTag);
    EXPECT_EQ(core::ReadU32(first.data() + patchedAt + 4), 24u + 4 + 5);
    EXPECT_EQ(core::ReadU32(first.data() + 4), first.size() - 8);

    const auto loaded = ClassItem::load<TSPartList>(*std::make_unique<VectorStream>(first), 1);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->PartCount(), 3);
    EXPECT_EQ(Store(*loaded), first);

    // The same through a file stream, which patches the sizes by going back.
    testsupport::TempFolder dir("zephlon-ts");
    {
        core::FileWStream out;
        ASSERT_EQ(out.OpenTruncated(dir.WinPath("tree.dts")), 1);
        EXPECT_EQ(ClassItem::storeObject(loaded.get(), out, 1), 1);
    }
    const std::string file = dir.Read("tree.dts");
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.end()), first);
}

TEST_F(Persist, AStreamThatCannotGoBackSkipsObjectsOfUnknownSize) {
    const auto leaf = Leaf(5, {1, 2});
    EXPECT_TRUE(Store(*leaf, false).empty());
    EXPECT_TRUE(Store(*Tree(), false).empty());  // the tree holds one such leaf
    const auto known = Leaf(6, {2});
    EXPECT_EQ(Store(*known, false).size(), 8u + 30);
}

TEST_F(Persist, ObsoleteAndUnknownTagsGiveNothingAndLeaveTheStreamAtTheNextBlock) {
    VectorStream s;
    for (std::uint32_t tag : {ts::PersistTag(20, 5), ts::PersistTag(20, 50), ts::PersistTag(20, 80),
                              ts::PersistTag(33, 1), ts::PersistTag(20, 101)}) {
        ClassItem::writeU32(s, tag);
        ClassItem::writeU32(s, 3);
        const std::uint8_t data[4] = {1, 2, 3, 0};
        s.Write(4, data);
    }
    ClassItem::storeObject(Leaf(7, {}).get(), s, 1);
    s.SetPosition(0);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ClassItem::loadObject(s, 1), nullptr);
        EXPECT_EQ(s.GetPosition(), 12u * static_cast<std::uint32_t>(i + 1));
    }
    const std::unique_ptr<ClassItem> leaf(ClassItem::loadObject(s, 1));
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(dynamic_cast<TestLeaf&>(*leaf).fIDnumber, 7);
    // Inside a list such a child is an empty entry, its siblings load.
    TSPartList list;
    list.AddPart(Leaf(1, {}));
    std::vector<std::uint8_t> bytes = Store(list);
    // Turn the child's tag into an obsolete one.
    core::WriteU32(bytes.data() + 8 + 28, ts::PersistTag(20, 9));
    const auto reloaded = ClassItem::load<TSPartList>(*std::make_unique<VectorStream>(bytes), 1);
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(reloaded->PartCount(), 1);
    EXPECT_EQ(reloaded->Part(0), nullptr);
    EXPECT_EQ(reloaded->getStoredSize(), 0u);  // a missing child: no size known
}

TEST_F(Persist, DumpAndOldVersions) {
    const auto tree = Tree();
    ::testing::internal::CaptureStdout();
    tree->dump(2, 0);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.substr(0, out.find('\n')), "Class type: 20:60 \"TSPartList\"");
    EXPECT_NE(out.find("  Class type: 21:7 \"TestLeaf\""), std::string::npos) << out;
    EXPECT_NE(out.find(" fnParts: 3"), std::string::npos) << out;
    // Version 0 keeps radius and centre as integers: 5 reads as 5.0. A transform index the
    // camera has no entry for reads as -1.
    VectorStream s;
    ClassItem::writeU32(s, TSPartList::kTag);
    ClassItem::writeU32(s, 28);
    for (std::int32_t v : {77, 4, 5, -2, 0, 9, 0})
        ClassItem::writeI32(s, v);
    const auto old = ClassItem::load<TSPartList>(*std::make_unique<VectorStream>(s.Bytes()), 0);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->fRadius, 5.0f);
    EXPECT_EQ(old->fCenter.x, -2.0f);
    EXPECT_EQ(old->fTransform, -1);
    EXPECT_EQ(old->fIDnumber, 4);
}

// A list header (tag, size, part data, count) for hand-made streams.
void ListHeader(VectorStream& s, std::uint32_t size, std::uint32_t count) {
    ClassItem::writeU32(s, TSPartList::kTag);
    ClassItem::writeU32(s, size);
    for (int i = 0; i < 6; ++i)
        ClassItem::writeI32(s, i == 0 ? -1 : 0);
    ClassItem::writeU32(s, count);
}

TEST_F(Persist, DamagedStreamsLoadNothing) {
    const std::vector<std::uint8_t> good = Store(*Tree());
    // Cut anywhere: nothing (a cut at 0 is simply an empty stream).
    for (std::size_t cut = 0; cut < good.size(); cut += 3)
        EXPECT_EQ(Load(std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(cut))), nullptr) << cut;
    // A child whose size passes its list's end.
    std::vector<std::uint8_t> past = good;
    core::WriteU32(past.data() + 8 + 28 + 4, 5000);
    EXPECT_EQ(Load(past), nullptr);
    // A count that would need gigabytes, with a few bytes behind it.
    VectorStream huge;
    ListHeader(huge, 0x7FFFFFF0u, 0x10000000u);
    EXPECT_EQ(Load(huge.Bytes()), nullptr);
    // A block size past the stream's end, on an obsolete tag at the top: nothing either way.
    VectorStream longer;
    ClassItem::writeU32(longer, ts::PersistTag(20, 3));
    ClassItem::writeU32(longer, 100000);
    EXPECT_EQ(Load(longer.Bytes()), nullptr);
    // An odd size without its pad byte at the end of the stream.
    std::vector<std::uint8_t> odd = Store(*Leaf(3, {2}));
    ASSERT_EQ(odd.back(), 0);
    odd.pop_back();
    EXPECT_EQ(Load(odd), nullptr);
    // Lists nested thousands deep: refused past 64 levels, without exhausting the stack.
    VectorStream deep;
    for (int i = 0; i < 5000; ++i)
        ListHeader(deep, 0x7FFFFFF0u - 40u * static_cast<std::uint32_t>(i), 1);
    EXPECT_EQ(Load(deep.Bytes()), nullptr);
    VectorStream shallow;
    for (int i = 0; i < 63; ++i)
        ListHeader(shallow, 28u + 36u * static_cast<std::uint32_t>(62 - i), i < 62 ? 1 : 0);
    EXPECT_NE(Load(shallow.Bytes()), nullptr);
}

TEST_F(Persist, MutatedCopiesNeverCrash) {
    const std::vector<std::uint8_t> good = Store(*Tree());
    std::mt19937 rng(2024);
    int loaded = 0;
    for (int n = 0; n < 20000; ++n) {
        std::vector<std::uint8_t> bytes = good;
        const int changes = 1 + static_cast<int>(rng() % 4);
        for (int c = 0; c < changes; ++c) {
            const std::size_t at = rng() % bytes.size();
            switch (rng() % 4) {
                case 0: bytes[at] = static_cast<std::uint8_t>(rng()); break;
                case 1: bytes[at] ^= static_cast<std::uint8_t>(1u << (rng() % 8)); break;
                case 2: bytes.resize(at + 1); break;
                default: bytes[at & ~std::size_t{3}] = 0xFF; break;
            }
        }
        std::unique_ptr<ClassItem> item = Load(bytes);
        if (item) {
            ++loaded;
            item->getStoredSize();
        }
    }
    EXPECT_GT(loaded, 100);  // damage to the part data alone still loads
}

TEST_F(Persist, PeekSkipAndArenas) {
    VectorStream s;
    ClassItem::storeObject(Leaf(1, {4, 4, 4}).get(), s, 1);
    ClassItem::storeObject(Leaf(2, {}).get(), s, 1);
    s.SetPosition(0);
    ts::BlockHeader h;
    ASSERT_TRUE(ClassItem::peekObject(s, &h));
    EXPECT_EQ(h.tag, TestLeaf::kTag);
    EXPECT_EQ(h.size, 31u);
    EXPECT_EQ(s.GetPosition(), 0u);
    ASSERT_TRUE(ClassItem::skipObject(s));
    EXPECT_EQ(s.GetPosition(), 40u);
    EXPECT_EQ(ClassItem::getTotalStoredSize(Leaf(1, {4, 4, 4}).get()), 40u);
    EXPECT_EQ(ClassItem::getTotalStoredSize(Leaf(1, {3}).get()), 0u);

    std::uint8_t block[64];
    EXPECT_EQ(ClassItem::arenaAlloc(0, nullptr), nullptr);
    EXPECT_EQ(ClassItem::pushArena(block, 64, 0), block);
    EXPECT_EQ(ClassItem::arenaAlloc(16, ClassItem::currentArena()), block);
    EXPECT_EQ(ClassItem::pushNewArena(32), block + 16);
    EXPECT_EQ(ClassItem::arenaAlloc(8, ClassItem::currentArena()), block + 16);
    void* big = ClassItem::pushNewArena(1000);  // more than is left: from the heap
    ASSERT_NE(big, nullptr);
    EXPECT_TRUE(big < static_cast<void*>(block) || big >= static_cast<void*>(block + 64));
    ClassItem::popArena();
    ClassItem::popArena();
    EXPECT_EQ(ClassItem::currentArena()->used, 48u);
    void* heap = ClassItem::arenaAlloc(100, ClassItem::currentArena());
    std::free(heap);
    ClassItem::popArena();
    EXPECT_EQ(ClassItem::currentArena(), nullptr);
}

TEST_F(Persist, PartTreeQueries) {
    auto tree = Tree();
    // A list whose own id matches is found before a child with that id.
    tree->Part(1)->fIDnumber = 1;
    EXPECT_EQ(tree->FindPart(1), tree.get());
    EXPECT_EQ(tree->FindPart(21)->fIDnumber, 21);
    EXPECT_EQ(tree->FindPart(99), nullptr);
    std::unique_ptr<TSPartBase>* slot = tree->FindPartSlot(20);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ((*slot)->fIDnumber, 20);
    // Leaves only; a full list stops taking them.
    TSPartBase* room[3];
    ts::TSPartCollection all{0, 3, room};
    EXPECT_EQ(tree->CollectParts(all), 3u);
    EXPECT_EQ(all.count, 3u);
    TSPartBase* two[2];
    ts::TSPartCollection small{0, 2, two};
    EXPECT_EQ(tree->CollectParts(small), 2u);
    // Bounds: the list's box holds its own centre and every child's.
    tree->fCenter = Vector3F{-50, 0, 0};
    tree->ComputeBounds();
    EXPECT_EQ(tree->box.min.x, -50.0f);
    EXPECT_EQ(tree->box.max.x, 21.0f);

    TestLeaf box;
    box.box = ts::TSBox{{0, 0, 0}, {10, 10, 10}};
    box.fCenter = Vector3F{5, 5, 5};
    box.fRadius = 8.7f;
    const ts::Transform3F identity;
    // Starting inside hits whatever the end; lying on a face counts as inside.
    EXPECT_EQ(box.IntersectSegment(identity, ts::TSSegment{{5, 5, 5}, {500, 0, 0}}), 1);
    EXPECT_EQ(box.IntersectSegment(identity, ts::TSSegment{{-5, 10, 5}, {15, 10, 5}}), 1);
    EXPECT_EQ(box.IntersectSegment(identity, ts::TSSegment{{-5, 11, 5}, {15, 11, 5}}), 0);
    ASSERT_EQ(box.IntersectSegment(identity, ts::TSSegment{{-10, 2, 3}, {20, 2, 3}}), 1);
    EXPECT_FLOAT_EQ(ts::theLastHit.t, 1.0f / 3.0f);
    EXPECT_FLOAT_EQ(ts::theLastHit.point.x, 0.0f);
    // A thin box passing through the middle with no corner inside: found by its edges.
    ts::Transform3F shifted;
    shifted.t = Vector3F{-20, 4, 4};
    EXPECT_EQ(box.CollideDetail(shifted, ts::TSBox{{0, 0, 0}, {50, 1, 1}}), 1);
    shifted.t = Vector3F{-20, 40, 4};
    EXPECT_EQ(box.CollideDetail(shifted, ts::TSBox{{0, 0, 0}, {50, 1, 1}}), 0);
    EXPECT_EQ(box.OverlapsSphere(identity, ts::TSSphere{{5, 5, 25}, 11.4f}), 1);
    EXPECT_EQ(box.OverlapsSphere(identity, ts::TSSphere{{5, 5, 25}, 11.2f}), 0);
    TestLeaf other;
    other.fCenter = Vector3F{1, 1, 1};
    other.fRadius = 1;
    other.box = ts::TSBox{{0, 0, 0}, {2, 2, 2}};
    EXPECT_EQ(box.Collide(identity, other), 1);
    shifted.t = Vector3F{30, 0, 0};
    EXPECT_EQ(box.Collide(shifted, other), 0);
}

}  // namespace
