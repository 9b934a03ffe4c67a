// The sprite batch over a recording backend: what reaches the device, in
// what order and in how many draw calls, and how misuse and device resets
// are answered.

#include <gtest/gtest.h>

#include <string>

#include "platform/hosted/managed_texture.h"
#include "platform/sprite/sprite_objects.h"
#include "recording_backend.h"

namespace {

std::vector<std::string> debug_messages;
void collect(const char* message) { debug_messages.emplace_back(message); }

class SpriteBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        debug_messages.clear();
        set_d3dx_debug_sink(collect);
        sprite = new SpriteBatch(&backend);
        atlas = make_texture(256, 128);
        other = make_texture(64, 64);
    }
    void TearDown() override {
        sprite->Release();
        atlas->Release();
        other->Release();
        set_d3dx_debug_sink(nullptr);
    }
    IDirect3DTexture9* make_texture(int w, int h) {
        TextureImage image;
        image.levels.push_back({w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h, 0xFF808080)});
        IDirect3DTexture9* t = nullptr;
        EXPECT_EQ(create_texture_from_image(&backend, std::move(image), &t), S_OK);
        return t;
    }
    static BackendTexture handle(IDirect3DTexture9* t) { return static_cast<ManagedTexture*>(t)->handle(); }

    HRESULT draw(IDirect3DTexture9* t, RECT r, float x, float y, D3DCOLOR c = 0xFFFFFFFF) {
        const D3DXVECTOR3 at{x, y, 0.0f};
        return sprite->Draw(t, &r, nullptr, &at, c);
    }

    RecordingBackend backend;
    SpriteBatch* sprite = nullptr;
    IDirect3DTexture9* atlas = nullptr;
    IDirect3DTexture9* other = nullptr;
};

}  // namespace

TEST_F(SpriteBatchTest, QuadSitsAtThePositionWithTheSourceSizeAndTexelCoordinates) {
    ASSERT_EQ(sprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_DONOTSAVESTATE), S_OK);
    ASSERT_EQ(draw(atlas, {64, 32, 128, 96}, 10.0f, 20.0f, 0x80FF00FF), S_OK);
    EXPECT_TRUE(backend.draws.empty()) << "nothing is drawn before End";
    ASSERT_EQ(sprite->End(), S_OK);

    const auto quads = backend.quads();
    ASSERT_EQ(quads.size(), 1u);
    const auto& q = quads[0];
    EXPECT_EQ(q.texture, handle(atlas));
    EXPECT_FLOAT_EQ(q.top_left.x, 10.0f);
    EXPECT_FLOAT_EQ(q.top_left.y, 20.0f);
    EXPECT_FLOAT_EQ(q.bottom_right.x, 74.0f);
    EXPECT_FLOAT_EQ(q.bottom_right.y, 84.0f);
    EXPECT_FLOAT_EQ(q.top_left.u, 0.25f);
    EXPECT_FLOAT_EQ(q.top_left.v, 0.25f);
    EXPECT_FLOAT_EQ(q.bottom_right.u, 0.5f);
    EXPECT_FLOAT_EQ(q.bottom_right.v, 0.75f);
    for (const SpriteVertex& v : backend.draws[0].vertices) EXPECT_EQ(v.colour, 0x80FF00FFu);
    EXPECT_EQ(backend.draws[0].mode, BlendMode::AlphaBlend);
}

TEST_F(SpriteBatchTest, CentreIsSubtractedAndMissingSourceMeansTheWholeTexture) {
    ASSERT_EQ(sprite->Begin(0x11), S_OK);
    const D3DXVECTOR3 centre{32.0f, 32.0f, 0.0f}, at{100.0f, 100.0f, 0.0f};
    ASSERT_EQ(sprite->Draw(other, nullptr, &centre, &at, 0xFFFFFFFF), S_OK);
    ASSERT_EQ(sprite->End(), S_OK);
    const auto q = backend.quads().at(0);
    EXPECT_FLOAT_EQ(q.top_left.x, 68.0f);
    EXPECT_FLOAT_EQ(q.bottom_right.x, 132.0f);
    EXPECT_FLOAT_EQ(q.bottom_right.u, 1.0f);
}

TEST_F(SpriteBatchTest, RunsOfOneTextureShareADrawCallAndOrderIsKept) {
    ASSERT_EQ(sprite->Begin(0x11), S_OK);
    for (int i = 0; i < 3; ++i) draw(atlas, {0, 0, 8, 8}, static_cast<float>(i), 0);
    draw(other, {0, 0, 8, 8}, 100, 0);
    draw(other, {0, 0, 8, 8}, 101, 0);
    draw(atlas, {0, 0, 8, 8}, 200, 0);
    ASSERT_EQ(sprite->End(), S_OK);

    ASSERT_EQ(backend.draws.size(), 3u);
    EXPECT_EQ(backend.draws[0].texture, handle(atlas));
    EXPECT_EQ(backend.draws[0].indices.size(), 18u);
    EXPECT_EQ(backend.draws[1].texture, handle(other));
    EXPECT_EQ(backend.draws[1].indices.size(), 12u);
    EXPECT_EQ(backend.draws[2].texture, handle(atlas));
    const auto quads = backend.quads();
    const float expected_x[] = {0, 1, 2, 100, 101, 200};
    ASSERT_EQ(quads.size(), 6u);
    for (std::size_t i = 0; i < quads.size(); ++i) EXPECT_FLOAT_EQ(quads[i].top_left.x, expected_x[i]);
}

TEST_F(SpriteBatchTest, TwoTrianglesCoverEachQuad) {
    ASSERT_EQ(sprite->Begin(0x11), S_OK);
    draw(atlas, {0, 0, 8, 8}, 0, 0);
    draw(atlas, {0, 0, 8, 8}, 10, 0);
    ASSERT_EQ(sprite->End(), S_OK);
    const RecordedDraw& d = backend.draws.at(0);
    ASSERT_EQ(d.indices.size(), 12u);
    ASSERT_EQ(d.vertices.size(), 8u);
    // Each triangle uses three distinct corners of its own quad.
    for (std::size_t t = 0; t < 4; ++t) {
        const std::size_t quad = t / 2;
        for (int k = 0; k < 3; ++k) {
            EXPECT_GE(d.indices[t * 3 + k], quad * 4);
            EXPECT_LT(d.indices[t * 3 + k], quad * 4 + 4);
        }
        EXPECT_NE(d.indices[t * 3], d.indices[t * 3 + 1]);
        EXPECT_NE(d.indices[t * 3 + 1], d.indices[t * 3 + 2]);
    }
}

TEST_F(SpriteBatchTest, WithoutAlphaBlendFlagOrBlendingTheBatchDrawsOpaque) {
    ASSERT_EQ(sprite->Begin(D3DXSPRITE_DONOTSAVESTATE), S_OK);
    draw(atlas, {0, 0, 8, 8}, 0, 0);
    ASSERT_EQ(sprite->End(), S_OK);
    EXPECT_EQ(backend.draws.at(0).mode, BlendMode::Opaque);

    backend.can_blend = false;
    sprite->OnLostDevice();
    sprite->OnResetDevice();
    ASSERT_EQ(sprite->Begin(0x11), S_OK);
    draw(atlas, {0, 0, 8, 8}, 0, 0);
    ASSERT_EQ(sprite->End(), S_OK);
    EXPECT_EQ(backend.draws.at(1).mode, BlendMode::Opaque);
}

TEST_F(SpriteBatchTest, MisuseFailsWithInvalidCallAndSaysWhy) {
    EXPECT_EQ(draw(atlas, {0, 0, 8, 8}, 0, 0), D3DERR_INVALIDCALL);
    ASSERT_FALSE(debug_messages.empty());
    EXPECT_EQ(debug_messages.back(), "ID3DXSprite::Draw called outside a Begin/End pair");
    EXPECT_EQ(sprite->End(), D3DERR_INVALIDCALL);
    EXPECT_EQ(debug_messages.back(), "ID3DXSprite::End called outside a Begin/End pair");
    EXPECT_EQ(sprite->Begin(256), D3DERR_INVALIDCALL);
    EXPECT_EQ(sprite->Begin(0x1000), D3DERR_INVALIDCALL);
    EXPECT_FALSE(sprite->in_pair());

    ASSERT_EQ(sprite->Begin(0x11), S_OK);
    EXPECT_EQ(sprite->Begin(0x11), D3DERR_INVALIDCALL);
    EXPECT_EQ(debug_messages.back(), "ID3DXSprite::Begin called inside a Begin/End pair");
    const D3DXVECTOR3 at{0, 0, 0};
    EXPECT_EQ(sprite->Draw(nullptr, nullptr, nullptr, &at, 0xFFFFFFFF), D3DERR_INVALIDCALL);
    EXPECT_EQ(debug_messages.back(), "ID3DXSprite::Draw called with a null texture");
    // The pair is still usable after the refused calls.
    EXPECT_EQ(draw(atlas, {0, 0, 8, 8}, 0, 0), S_OK);
    EXPECT_EQ(sprite->End(), S_OK);
    EXPECT_EQ(backend.quads().size(), 1u);
}

TEST_F(SpriteBatchTest, LostDeviceEndsTheOpenPairAndTheNextBeginWorks) {
    ASSERT_EQ(sprite->Begin(0x11), S_OK);
    draw(atlas, {0, 0, 8, 8}, 0, 0);
    EXPECT_EQ(sprite->OnLostDevice(), S_OK);
    EXPECT_FALSE(sprite->in_pair());
    EXPECT_EQ(sprite->End(), D3DERR_INVALIDCALL);
    EXPECT_TRUE(backend.draws.empty()) << "a lost device draws nothing";
    EXPECT_EQ(sprite->OnResetDevice(), S_OK);

    ASSERT_EQ(sprite->Begin(0x11), S_OK);
    draw(atlas, {0, 0, 8, 8}, 5, 5);
    ASSERT_EQ(sprite->End(), S_OK);
    ASSERT_EQ(backend.quads().size(), 1u);
    EXPECT_FLOAT_EQ(backend.quads()[0].top_left.x, 5.0f);

    // Begin alone, without OnResetDevice, is enough after a loss.
    sprite->OnLostDevice();
    ASSERT_EQ(sprite->Begin(0x11), S_OK);
    draw(atlas, {0, 0, 8, 8}, 0, 0);
    EXPECT_EQ(sprite->End(), S_OK);
    EXPECT_EQ(backend.quads().size(), 2u);
}

TEST_F(SpriteBatchTest, ResetNoticeEndsAnOpenPairToo) {
    ASSERT_EQ(sprite->Begin(0x11), S_OK);
    draw(atlas, {0, 0, 8, 8}, 0, 0);
    EXPECT_EQ(sprite->OnResetDevice(), S_OK);
    EXPECT_FALSE(sprite->in_pair());
    EXPECT_EQ(sprite->Begin(0x11), S_OK);
    EXPECT_EQ(sprite->End(), S_OK);
}

TEST_F(SpriteBatchTest, EachPairStartsEmpty) {
    for (int frame = 0; frame < 3; ++frame) {
        ASSERT_EQ(sprite->Begin(0x11), S_OK);
        draw(atlas, {0, 0, 8, 8}, static_cast<float>(frame), 0);
        ASSERT_EQ(sprite->End(), S_OK);
    }
    ASSERT_EQ(backend.draws.size(), 3u);
    for (const RecordedDraw& d : backend.draws) EXPECT_EQ(d.vertices.size(), 4u);
}

TEST_F(SpriteBatchTest, AFrameOfManyQuadsIsSplitOnlyWhereIndicesRunOut) {
    ASSERT_EQ(sprite->Begin(0x11), S_OK);
    for (int i = 0; i < 20000; ++i) draw(atlas, {0, 0, 1, 1}, static_cast<float>(i % 1024), 0);
    ASSERT_EQ(sprite->End(), S_OK);
    ASSERT_EQ(backend.draws.size(), 2u);
    std::size_t quads = 0;
    for (const RecordedDraw& d : backend.draws) {
        quads += d.indices.size() / 6;
        for (std::uint16_t i : d.indices) EXPECT_LT(i, d.vertices.size());
    }
    EXPECT_EQ(quads, 20000u);
}

TEST_F(SpriteBatchTest, ReleasingATextureFreesItsDeviceTexture) {
    IDirect3DTexture9* t = make_texture(16, 16);
    const BackendTexture h = handle(t);
    EXPECT_EQ(t->GetLevelCount(), 1u);
    EXPECT_EQ(t->Release(), 0u);
    EXPECT_EQ(backend.textures.count(h), 0u);
}
