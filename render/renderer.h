// The renderer interface: the base every renderer derives from, with the records that cross the
// boundary between the engine and a renderer plug-in.
#pragma once

#include "render/effect_table.h"

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qelt
{

namespace platform
{
class cSharedLibrary;
}

class cPaletteManager;
class cProgress;
class cRenderMaterial;
class cRendererCallback;
class cRendererIBHandle;
class cRendererTargetHandle;
class cRendererVBHandle;
class cTextureHandle;
class cTextureManager;
struct cRenderContext;

// ---- records ----------------------------------------------------------------------------------
// The parameters of a render target, always copied whole.
struct cRendererParams
{
    void* window = nullptr; // the window to render into
    int32_t left = 0;
    int32_t right = 0;
    int32_t top = 0;
    int32_t bottom = 0;
    uint8_t flag1 = 1;
    uint8_t flag2 = 0;
    uint8_t fullScreen = 0;
    uint8_t flag4 = 1;
    uint8_t stereo = 0;

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
};

// The vertices first..last, both inclusive, of one range of a buffer.
struct cVertexRange
{
    int32_t first;
    int32_t last;
};

// A run of primitives of one type out of one range.
struct cPrimitiveBatch
{
    enum Type : int32_t
    {
        PointList = 0,
        LineList = 1,
        LineStrip = 2,
        TriangleList = 3,
        TriangleStrip = 4,
        TriangleFan = 5,
    };
    int32_t type;
    int32_t range; // index into the buffers' range list
    int32_t start; // first index with an index buffer, else first vertex
    int32_t count; // primitives
};

// ---- the renderer -----------------------------------------------------------------------------
// Operations are in their fixed order; the base implements the vertex, effect and statistics
// ones, a renderer the rest. Nothing here throws.
class cRenderer
{
  public:
    enum DriverKind : int
    {
        DriverNone = 0,
        DriverDx8 = 1,
        DriverGl = 2,
    };
    enum TransformKind : int
    {
        TransformWorld = 0,
        TransformView = 1,
        TransformProjection = 2,
    };
    static constexpr int kMaxTargets = 10;

    cRenderer(int driverKind, cRendererCallback* callback);
    cRenderer(const cRenderer&) = delete;
    cRenderer& operator=(const cRenderer&) = delete;

    // Binds the rendering context to the calling thread; nests; false if impossible.
    virtual bool lock() = 0;
    // Undoes one lock; the outermost one releases the context.
    virtual bool unlock() = 0;
    // The sum of the element sizes of the components in format.
    virtual int vertexSize(uint32_t format);
    // The number of component flags set in format.
    virtual int componentCount(uint32_t format);
    // The n-th set component flag in ascending order; 0 when there is none.
    virtual uint32_t component(uint32_t format, int n);
    // This renderer's vertex format of the effect.
    virtual uint32_t effectVertexFormat(int effect);
    // True if the effect can be drawn on this device.
    virtual bool isEffectValid(int effect) = 0;
    // This renderer's shader kind of the effect, 1 or 2.
    virtual int effectShaderKind(int effect);
    // This renderer's effect class.
    virtual int effectClass(int effect);
    // The opaque flag of the static table.
    virtual bool isEffectOpaque(int effect);
    // True if the static shader kind is 2.
    virtual bool effectNeedsVertexShader(int effect);
    // True when selectEye picks a back buffer of its own.
    virtual bool canSelectEye() = 0;
    // Zeroes both counters and counts a frame.
    virtual void resetStatistics();
    // The two counters, primitives first.
    virtual void statistics(std::pair<int, int>& out);
    // Makes the target current, clears it, applies fog and starts the frame; 0 on success.
    virtual int beginScene(cRendererTargetHandle* target) = 0;
    // Ends the frame and shows it; 0 on success.
    virtual int present() = 0;
    // 0 left, 1 right, 2 both.
    virtual void selectEye(int eye) = 0;
    // The colour of the next clear.
    virtual int setBackgroundColour(uint8_t red, uint8_t green, uint8_t blue) = 0;
    // Linear fog over view distances.
    virtual int setFog(bool enabled, uint8_t red, uint8_t green, uint8_t blue, float start,
                       float end, float bias) = 0;
    // A new target; 0 on success, 1 on failure (at most kMaxTargets).
    virtual int createTarget(cRendererParams& params, cRendererTargetHandle** out) = 0;
    // The number of live targets.
    virtual int targetCount() = 0;
    // The n-th live target in slot order; null past the end.
    virtual cRendererTargetHandle* target(int n) = 0;
    // Sets a world, view or projection matrix of 16 floats.
    virtual int setTransform(int kind, const float* matrix) = 0;
    // Draws the batches with the material's effect; context and index buffer may be null.
    virtual void draw(const cRenderContext* context, cRendererVBHandle* vertices,
                      cRendererIBHandle* indices, cRenderMaterial& material,
                      const std::vector<cPrimitiveBatch>& batches) = 0;
    // Vertex storage with one stream per component and range.
    virtual cRendererVBHandle* createVertexBuffer(uint32_t format, uint32_t sharedComponents,
                                                  const std::vector<cVertexRange>& ranges,
                                                  bool dynamic) = 0;
    // Index storage; wide selects 32-bit indices.
    virtual cRendererIBHandle* createIndexBuffer(bool wide, bool shared,
                                                 const std::vector<cVertexRange>& ranges,
                                                 bool dynamic) = 0;
    // Copies the current frame as 32-bit blue-green-red-alpha pixels.
    virtual bool readPixels(uint8_t* destination, int pitch, bool bottomUp) = 0;
    // Writes the current frame as a BMP file.
    virtual bool saveScreenshot(const char* path) = 0;
    // The size of the current target; pitch is 4 times the width.
    virtual void frameSize(int& width, int& height, int& pitch) = 0;
    // Permits the off-screen operations.
    virtual void enableOffScreen(bool allowed) = 0;
    // The largest off-screen buffer obtainable; false if none.
    virtual bool GetMaxOffScreenRendering(int& width, int& height) = 0;
    // Renders into an off-screen buffer of at most that size; writes back the size obtained.
    virtual bool beginOffScreen(int& width, int& height, int& pitch, cProgress* progress) = 0;
    // Copies the off-screen buffer.
    virtual bool readOffScreen(uint8_t* destination, int pitch, bool bottomUp) = 0;
    // Returns to the current target.
    virtual bool endOffScreen() = 0;
    virtual bool textureCompression() = 0;
    // For textures loaded afterwards.
    virtual void setTextureCompression(bool on) = 0;
    // Loaded textures are divided by 2 to this power in each dimension.
    virtual int textureReduction() = 0;
    // For textures loaded afterwards.
    virtual void setTextureReduction(int level) = 0;
    // Appends readable lines about video memory.
    virtual void memoryReport(std::vector<std::string>& lines) = 0;
    // Deletes the renderer.
    virtual void destroy() = 0;
    virtual ~cRenderer();

    // ---- shared data ------------------------------------------------------------------------
    // A line through the callback's log (printf conventions).
    void logf(const char* format, ...) __attribute__((format(printf, 2, 3)));

    int driverKind() const { return driverKind_; }
    cTextureManager* textureManager() const { return textureManager_.get(); }
    cPaletteManager* paletteManager() const { return paletteManager_.get(); }
    cRendererCallback* callback() const { return callback_; }
    void setCallback(cRendererCallback* callback) { callback_ = callback; }
    const std::string& driverName() const { return driverName_; }
    void setDriverName(const std::string& name) { driverName_ = name; }
    platform::cSharedLibrary* module() const { return module_; }
    void setModule(platform::cSharedLibrary* module) { module_ = module; }
    const cRendererParams& firstTargetParams() const { return firstTargetParams_; }
    void setFirstTargetParams(const cRendererParams& params) { firstTargetParams_ = params; }
    int frameCount() const { return frames_; }

    // Capture flags of the renderer base.
    bool capturing = false;
    bool captureReadsOffScreen = false;
    bool offScreenActive = false;
    int currentTarget = 0;

  protected:
    struct cEffectRow
    {
        int effectClass;
        int shaderKind;
        uint32_t vertexFormat;
    };

    int driverKind_;
    std::unique_ptr<cTextureManager> textureManager_; // owned, made by the renderer
    std::unique_ptr<cPaletteManager> paletteManager_; // owned, made by the renderer
    int primitives_ = 0;
    int secondCounter_ = 0;
    int frames_ = 0;
    cRendererParams firstTargetParams_;
    cRendererCallback* callback_; // not owned
    std::string driverName_;
    platform::cSharedLibrary* module_ = nullptr; // not owned: freed by whoever loaded it
    cEffectRow effects_[kEffectCount];
    float fog_[4] = {0, 0, 0, 0};
    cTextureHandle* normalisationCubeMap_ = nullptr; // counted, made on first use
    uint8_t background_[3] = {128, 128, 128};
};

// The signature of the factory each plug-in exports as CreateRenderer.
using CreateRendererFunction = cRenderer* (*)(cRendererParams* params, cRendererCallback* callback,
                                              cRendererTargetHandle** outTarget);

} // namespace qelt
