// Where shape files come from: the current volume or loose files in the search path, the guard
// that sets the path while one file loads, and the engine's pool capacities.
#include <gtest/gtest.h>

#include "core/pool_alloc.h"
#include "core/volume_stream.h"
#include "core/volume_test_support.h"
#include "platform/file_system.h"
#include "support/temp_folder.h"
#include "ts/engine_pools.h"
#include "ts/shape_resource.h"
#include "win/file_api.h"

namespace {

std::string ReadText(core::StreamIO& s) {
    char buffer[16] = {};
    s.Read(5, buffer);
    return std::string(buffer, s.GetLastCount());
}

TEST(ShapeResource, LooseFilesInTheSearchPathOnly) {
    testsupport::TempFolder dir("zephlon-shapes");
    std::filesystem::create_directories(dir.Path("Shapes/Sub"));
    dir.Write("Shapes/plane.dts", "loose");
    dir.Write("Shapes/Sub/tree.dts", "inner");
    platform::ForgetFolderListings();
    ts::SetShapeResourceStream(nullptr);
    ts::SetShapeSearchPath(dir.WinPath("Shapes"));
    // Found without regard to case; a name elsewhere is not searched for.
    core::StreamIO* s = ts::OpenShapeResource("PLANE.DTS");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(ReadText(*s), "loose");
    ts::CloseShapeResource(s);
    EXPECT_EQ(ts::OpenShapeResource("tree.dts"), nullptr);
    EXPECT_EQ(ts::OpenShapeResource("Sub"), nullptr);  // a folder is not a file
    {
        // While the guard lives, the path's folder is searched; afterwards the old one again.
        ts::ShapeSearchPath guard(dir.WinPath("Shapes\\Sub\\tree.dts"));
        EXPECT_EQ(guard.FileName(), "tree.dts");
        s = ts::OpenShapeResource(guard.FileName());
        ASSERT_NE(s, nullptr);
        ts::CloseShapeResource(s);
        EXPECT_EQ(ts::OpenShapeResource("plane.dts"), nullptr);
    }
    EXPECT_EQ(ts::GetShapeSearchPath(), dir.WinPath("Shapes"));
    {
        ts::ShapeSearchPath bare("plane.dts");  // no folder: the path stays
        EXPECT_EQ(ts::GetShapeSearchPath(), dir.WinPath("Shapes"));
    }
    // A file found but held by a writer that shares nothing cannot be opened: null.
    win::FileHandle held = win::CreateFile(dir.WinPath("Shapes\\plane.dts"), win::GENERIC_WRITE, 0,
                                           win::OPEN_EXISTING);
    ASSERT_TRUE(held.IsValid());
    EXPECT_EQ(ts::OpenShapeResource("plane.dts"), nullptr);
    win::CloseHandle(held);
    // Paths cut at 259 characters; a found path over 255 is not taken.
    ts::SetShapeSearchPath(std::string(400, 'x'));
    EXPECT_EQ(ts::GetShapeSearchPath().size(), 259u);
    EXPECT_EQ(ts::OpenShapeResource("plane.dts"), nullptr);
    ts::SetShapeSearchPath("");
}

TEST(ShapeResource, TheCurrentVolumeComesFirst) {
    testsupport::TempFolder dir("zephlon-shapevol");
    volume_test::Member plane, cab;
    plane.name = "plane.dts";
    plane.data = "inside";
    cab.name = "cab.dts";
    cab.data = "cabin";
    ASSERT_TRUE(volume_test::BuildVolume(dir.Path("Shapes.vol"), {plane, cab}));
    dir.Write("plane.dts", "loose");
    core::VolumeRStream volume;
    ASSERT_EQ(volume.OpenVolume(dir.WinPath("Shapes.vol")), 1);
    ts::SetShapeSearchPath(dir.Root());
    ts::SetShapeResourceStream(&volume);
    core::StreamIO* s = ts::OpenShapeResource("plane.dts");
    ASSERT_EQ(s, &volume);
    EXPECT_EQ(ReadText(*s), "insid");
    ts::CloseShapeResource(s);  // closes the entry only
    EXPECT_EQ(ts::OpenShapeResource("missing.dts"), nullptr);
    s = ts::OpenShapeResource("cab.dts");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(ReadText(*s), "cabin");
    ts::CloseShapeResource(s);
    ts::SetShapeResourceStream(nullptr);
    ts::SetShapeSearchPath("");
}

TEST(EnginePools, CapacitiesFromTheSettingsCounts) {
    ts::ResetEnginePoolCapacities();
    using ts::EnginePool;
    EXPECT_STREQ(ts::EnginePoolKey(EnginePool::kMaterial), "NumTSMat");
    EXPECT_EQ(ts::EnginePoolCapacity(EnginePool::kSequenceState), 16000);
    // Zero and negative counts keep the capacity; huge ones are held at what a pool can hold.
    EXPECT_EQ(ts::SetEnginePoolCapacity(EnginePool::kShape, 0), 7000);
    EXPECT_EQ(ts::SetEnginePoolCapacity(EnginePool::kShape, -4), 7000);
    EXPECT_EQ(ts::SetEnginePoolCapacity(EnginePool::kShape, 900000), 65535);
    // A pool attached later gets the capacity in force; later changes reach it.
    EXPECT_EQ(ts::SetEnginePoolCapacity(EnginePool::kMesh, 120), 120);
    core::PoolAlloc meshes(80, 8000);
    ts::AttachEnginePool(EnginePool::kMesh, &meshes);
    EXPECT_EQ(meshes.Capacity(), 120);
    ts::SetEnginePoolCapacity(EnginePool::kMesh, 64);
    EXPECT_EQ(meshes.Capacity(), 64);
    ts::AttachEnginePool(EnginePool::kMesh, nullptr);
    ts::ResetEnginePoolCapacities();
    EXPECT_EQ(ts::EnginePoolCapacity(EnginePool::kShape), 7000);
}

}  // namespace
