// Tests of the texture and palette manager bases: slots, names, counts and the lines they log.
#include "render/texture_manager.h"

#include "render/avi_file.h"
#include "render/palette_manager.h"
#include "render/renderer_callback.h"
#include "render/renderer_none.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace qelt
{
namespace
{

// Keeps the renderer's log lines.
class cLogRecorder : public cRendererCallback
{
  public:
    void onLoad(const cRendererParams*, cRendererTargetHandle*) override {}
    void onUnload() override {}
    void onInvalidate() override {}
    void onRestore() override {}
    void log(const char* format, va_list args) override
    {
        char text[512];
        std::vsnprintf(text, sizeof(text), format, args);
        lines.push_back(text);
    }
    std::vector<std::string> lines;
};

cTextureEntry* entryNamed(const char* name, int count)
{
    cTextureEntry* entry = new cTextureEntry;
    entry->name = name;
    entry->refCount = count;
    return entry;
}

TEST(TextureManager, SlotsAreReusedAndNamesMatchIgnoringCase)
{
    cLogRecorder log;
    CRenderer_None renderer(&log);
    cTextureManager& manager = *renderer.textureManager();

    EXPECT_EQ(manager.allocateSlot(), 0);
    manager.entries()[0] = entryNamed("wall.jpg", 1);
    EXPECT_EQ(manager.allocateSlot(), 1);
    manager.entries()[1] = entryNamed("floor.png", 2);
    EXPECT_TRUE(manager.contains("WALL.JPG"));
    EXPECT_TRUE(manager.contains("floor.png"));
    EXPECT_FALSE(manager.contains("wall"));
    EXPECT_FALSE(manager.contains(nullptr));

    // The last reference deletes the entry and frees its slot for the next texture.
    manager.DecreaseReference(0);
    EXPECT_EQ(manager.entries()[0], nullptr);
    EXPECT_FALSE(manager.contains("wall.jpg"));
    EXPECT_EQ(manager.allocateSlot(), 0);
    manager.DecreaseReference(1);
    EXPECT_NE(manager.entries()[1], nullptr);
    EXPECT_EQ(manager.entries()[1]->refCount, 1);
    // Indices outside the table and free slots are ignored.
    manager.DecreaseReference(7);
    manager.DecreaseReference(-1);
    manager.DecreaseReference(0);
    EXPECT_EQ(log.lines, std::vector<std::string>{
                             "cTextureManager::DecreaseReference Deleting texture wall.jpg\n"});
}

TEST(TextureManager, DestructionNamesTheTexturesStillReferenced)
{
    cLogRecorder log;
    {
        CRenderer_None renderer(&log);
        auto& textures = renderer.textureManager()->entries();
        textures.push_back(entryNamed("busy.jpg", 2));
        textures.push_back(nullptr);
        textures.push_back(entryNamed("idle.jpg", 0));
        auto& palettes = renderer.paletteManager()->entries();
        palettes.push_back(new cPaletteEntry(&renderer));
        palettes.back()->name = "sky";
        palettes.back()->refCount = 1;
    }
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "Palette 'sky' released while still referenced (1)\n",
                             "Texture 'busy.jpg' released while still referenced (2)\n",
                         }));
}

// A video texture's stream: its timing and picture size come from the file.
TEST(TextureManager, OpensTheVideoStreamOfAnAviFile)
{
    testing::cTempFolder folder;
    const std::string path = folder / "clip.avi";
    {
        std::unique_ptr<cAviWriter> writer = createAviWriter();
        ASSERT_EQ(writer->create(path), kAviOk);
        cAviStreamInfo info;
        info.rate = 15;
        info.right = 32;
        info.bottom = 16;
        int stream = -1;
        ASSERT_EQ(writer->createStream(info, stream), kAviOk);
        cBitmapHeader format;
        format.width = 32;
        format.height = 16;
        ASSERT_EQ(writer->setFormat(stream, format), kAviOk);
        std::vector<uint8_t> pixels(32 * 3 * 16, 0x40);
        for (int frame = 0; frame < 3; ++frame)
        {
            int written = 0;
            ASSERT_EQ(writer->write(stream, frame, pixels.data(), static_cast<int>(pixels.size()),
                                    kAviKeyFrame, written),
                      kAviOk);
        }
        ASSERT_EQ(writer->release(), kAviOk);
    }

    CRenderer_None renderer(nullptr);
    cTextureEntry entry;
    ASSERT_TRUE(renderer.textureManager()->openAviStream(path.c_str(), entry));
    EXPECT_EQ(entry.flags & cTextureEntry::FlagAviVideo, 1u);
    EXPECT_EQ(entry.width, 32);
    EXPECT_EQ(entry.height, 16);
    EXPECT_EQ(entry.aviRate, 15);
    EXPECT_EQ(entry.aviScale, 1);
    EXPECT_EQ(entry.aviLength, 3);
    EXPECT_GT(entry.aviStartTime, 0.0);
    ASSERT_TRUE(entry.avi);
    EXPECT_NE(entry.avi->frame(2), nullptr);

    cTextureEntry missing;
    EXPECT_FALSE(renderer.textureManager()->openAviStream((folder / "none.avi").c_str(), missing));
    EXPECT_EQ(missing.flags & cTextureEntry::FlagAviVideo, 1u);
    EXPECT_FALSE(missing.avi);
}

} // namespace
} // namespace qelt
