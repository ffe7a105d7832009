// Tests of the null renderer: every result of its table, its null buffers, managers and handles.
#include "render/renderer_none.h"

#include "render/render_material.h"
#include "render/renderer_handle.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qelt
{
namespace
{

class NullRenderer : public ::testing::Test
{
  protected:
    NullRenderer()
    {
        cRendererParams params;
        renderer_ = createNullRenderer(&params, nullptr, &target_);
    }
    ~NullRenderer() override { renderer_->destroy(); }

    cRenderer* renderer_;
    cRendererTargetHandle* target_ = nullptr;
};

TEST_F(NullRenderer, AnswersWithTheResultsOfItsTable)
{
    cRenderer& r = *renderer_;
    EXPECT_EQ(r.driverKind(), cRenderer::DriverNone);
    EXPECT_TRUE(r.lock());
    EXPECT_TRUE(r.unlock());
    EXPECT_TRUE(r.isEffectValid(35));
    EXPECT_TRUE(r.canSelectEye());
    EXPECT_EQ(r.beginScene(target_), 0);
    EXPECT_EQ(r.present(), 0);
    EXPECT_EQ(r.setBackgroundColour(1, 2, 3), 0);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_EQ(r.setTransform(cRenderer::TransformWorld, identity), 0);
    EXPECT_EQ(r.setFog(true, 1, 2, 3, 1.0f, 100.0f, 0.0f), 1);
    EXPECT_EQ(r.targetCount(), 1);

    cRendererParams params;
    cRendererTargetHandle* untouched = reinterpret_cast<cRendererTargetHandle*>(0x1234);
    EXPECT_EQ(r.createTarget(params, &untouched), 0);
    EXPECT_EQ(untouched, reinterpret_cast<cRendererTargetHandle*>(0x1234));

    uint8_t pixels[16] = {};
    EXPECT_FALSE(r.readPixels(pixels, 4, true));
    EXPECT_FALSE(r.saveScreenshot("/nonexistent/shot.bmp"));
    int width = 7, height = 7, pitch = 7;
    EXPECT_FALSE(r.GetMaxOffScreenRendering(width, height));
    EXPECT_FALSE(r.beginOffScreen(width, height, pitch, nullptr));
    EXPECT_FALSE(r.readOffScreen(pixels, 4, false));
    EXPECT_FALSE(r.endOffScreen());
    r.frameSize(width, height, pitch);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
    EXPECT_EQ(pitch, 0);

    r.setTextureCompression(true);
    r.setTextureReduction(3);
    EXPECT_FALSE(r.textureCompression());
    EXPECT_EQ(r.textureReduction(), 0);
    std::vector<std::string> lines;
    r.memoryReport(lines);
    EXPECT_TRUE(lines.empty());
}

// Every index gives the one target, whose parameters are the default record.
TEST_F(NullRenderer, HasOneTargetWithDefaultParameters)
{
    ASSERT_NE(target_, nullptr);
    EXPECT_EQ(renderer_->target(0), target_);
    EXPECT_EQ(renderer_->target(5), target_);
    const cRendererParams params = target_->params();
    EXPECT_EQ(params.window, nullptr);
    EXPECT_EQ(params.left, 0);
    EXPECT_EQ(params.right, 0);
    EXPECT_EQ(params.top, 0);
    EXPECT_EQ(params.bottom, 0);
    EXPECT_EQ(params.flag1, 1);
    EXPECT_EQ(params.flag2, 0);
    EXPECT_EQ(params.fullScreen, 0);
    EXPECT_EQ(params.flag4, 1);
    EXPECT_EQ(params.stereo, 0);
}

// draw counts each batch once; resetStatistics zeroes the counters and counts frames.
TEST_F(NullRenderer, DrawCountsPrimitivesWithoutDrawing)
{
    cRenderMaterial material;
    const std::vector<cPrimitiveBatch> batches = {
        {cPrimitiveBatch::TriangleList, 0, 0, 10},
        {cPrimitiveBatch::LineStrip, 1, 4, 0},
        {cPrimitiveBatch::TriangleFan, 0, 2, 5},
    };
    renderer_->resetStatistics();
    const int frames = renderer_->frameCount();
    renderer_->draw(nullptr, nullptr, nullptr, material, batches);
    std::pair<int, int> counters{-1, -1};
    renderer_->statistics(counters);
    EXPECT_EQ(counters.first, 15);
    EXPECT_EQ(counters.second, 0);

    renderer_->resetStatistics();
    renderer_->statistics(counters);
    EXPECT_EQ(counters.first, 0);
    EXPECT_EQ(renderer_->frameCount(), frames + 1);
}

// The scratch blocks are real storage for exactly the requested elements (ASan checks the ends).
TEST_F(NullRenderer, BuffersLendScratchStorage)
{
    const std::vector<cVertexRange> ranges = {{0, 9}, {10, 12}};
    cRef<cRendererVBHandle> vertices(renderer_->createVertexBuffer(0x10011, 0, ranges, false));
    cRef<cRendererIBHandle> indices(renderer_->createIndexBuffer(true, false, ranges, false));
    ASSERT_TRUE(vertices);
    ASSERT_TRUE(indices);
    EXPECT_EQ(vertices->renderer(), renderer_);

    uint8_t* block = static_cast<uint8_t*>(vertices->lock(eVertexPosition, 0, 0, 9, 0));
    ASSERT_NE(block, nullptr);
    std::memset(block, 0xab, 10 * 32);
    // A second lock replaces the first block.
    block = static_cast<uint8_t*>(vertices->lock(eVertexColour, 1, 10, 12, 0));
    ASSERT_NE(block, nullptr);
    std::memset(block, 0xcd, 3 * 32);
    vertices->unlock(eVertexColour, 1);

    uint8_t* index = static_cast<uint8_t*>(indices->lock(0, 0, 5, 0));
    ASSERT_NE(index, nullptr);
    std::memset(index, 0xef, 6 * 4);
    indices->unlock(0);
    EXPECT_EQ(indices->lock(0, 5, 4, 0), nullptr);
    // A block still lent when the handle dies goes with it.
    ASSERT_NE(vertices->lock(eVertexPosition, 0, 0, 0, 0), nullptr);
}

TEST_F(NullRenderer, ManagersHandOutHandlesThatReferToNothing)
{
    cTextureManager& textures = *renderer_->textureManager();
    EXPECT_EQ(textures.createFromMemoryFile("picture.png", nullptr), nullptr);
    float scaleU = 2, scaleV = 2;
    cRef<cTextureHandle> handles[] = {
        textures.loadTexture("wall.jpg", false, false),
        textures.createFromPixels("pixels", nullptr, 4, 4, 16, true),
        textures.createVolume("volume", 4, 4, 4, false, false),
        textures.createEmpty("cube", 8, 8, false, true, false),
        textures.createPadded("padded", nullptr, 3, 3, 0, scaleU, scaleV),
    };
    for (const cRef<cTextureHandle>& handle : handles)
    {
        ASSERT_TRUE(handle);
        EXPECT_EQ(handle->entry(), -1);
        cTextureInfo info;
        info.width = 99;
        handle->info(info);
        EXPECT_EQ(info.width, 99);
    }
    EXPECT_NE(handles[0].get(), handles[1].get());
    EXPECT_FALSE(textures.contains("wall.jpg"));

    cRef<cPaletteHandle> palette(renderer_->paletteManager()->palette("sky"));
    cRef<cPaletteHandle> fresh(renderer_->paletteManager()->createPalette());
    ASSERT_TRUE(palette);
    ASSERT_TRUE(fresh);
    EXPECT_NE(palette.get(), fresh.get());
    cPaletteColour colours[kPaletteSize] = {};
    EXPECT_TRUE(palette->setEntries(colours));
    EXPECT_TRUE(palette->loadPalette("sky.pal"));
    EXPECT_TRUE(palette->swapRandom("list"));
    EXPECT_TRUE(palette->swapRedGreen("list"));
    EXPECT_TRUE(palette->swapGreenBlue("list"));
    EXPECT_TRUE(palette->swapBlueRed("list"));
    EXPECT_FALSE(palette->apply());
}

} // namespace
} // namespace qelt
