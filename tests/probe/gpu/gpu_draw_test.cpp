// The particle draw on a real Direct3D 11 device with the worker's own shaders
// and draw states, read back from the off-screen target (the worker never reads
// it, so only this test can see what the draw leaves there).
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "probe/gpu/gpu_setup.h"
#include "probe/gpu/gpu_stress_loop.h"
#include "probe/gpu/shader_compile.h"

namespace {

// Catches sprites that never reach the target, e.g. both triangles of the
// corner list culled as back faces by the default rasteriser state.
TEST(GpuDraw, ParticleAtTheCentreLightsTheTarget) {
  GpuStressContext g;
  ASSERT_TRUE(SUCCEEDED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0,
                                          D3D11_SDK_VERSION, &g.device, nullptr, &g.context)));
  ID3D11Device* d = g.device.Get();

  ComPtr<ID3DBlob> vs, ps;
  ASSERT_TRUE(CompileShader("DrawVS", "vs_5_0", &vs));
  ASSERT_TRUE(CompileShader("DrawPS", "ps_5_0", &ps));
  ASSERT_TRUE(SUCCEEDED(d->CreateVertexShader(vs->GetBufferPointer(), vs->GetBufferSize(), nullptr, &g.drawVS)));
  ASSERT_TRUE(SUCCEEDED(d->CreatePixelShader(ps->GetBufferPointer(), ps->GetBufferSize(), nullptr, &g.drawPS)));

  CreateRenderTarget(&g);
  ASSERT_TRUE(g.targetView);

  // One particle resting at the centre: a cold-coloured sprite in the middle of the target.
  g.profile = ProfileForMode(1, 0);
  g.profile.particles = 1;
  const Particle particle{{0.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 0.0f}};
  D3D11_BUFFER_DESC desc{};
  desc.ByteWidth = sizeof(Particle);
  desc.Usage = D3D11_USAGE_DEFAULT;
  desc.BindFlags = D3D11_BIND_SHADER_RESOURCE;
  desc.MiscFlags = D3D11_RESOURCE_MISC_BUFFER_STRUCTURED;
  desc.StructureByteStride = sizeof(Particle);
  D3D11_SUBRESOURCE_DATA data{&particle, 0, 0};
  ASSERT_TRUE(SUCCEEDED(d->CreateBuffer(&desc, &data, &g.particles)));
  D3D11_SHADER_RESOURCE_VIEW_DESC srv{};
  srv.Format = DXGI_FORMAT_UNKNOWN;
  srv.ViewDimension = D3D11_SRV_DIMENSION_BUFFER;
  srv.Buffer.NumElements = 1;
  ASSERT_TRUE(SUCCEEDED(d->CreateShaderResourceView(g.particles.Get(), &srv, &g.particleSrv)));

  ASSERT_TRUE(CreateFrameAndDrawStates(&g));
  D3D11_MAPPED_SUBRESOURCE mapped{};
  ASSERT_TRUE(SUCCEEDED(g.context->Map(g.frame.Get(), 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped)));
  const Frame frame{0.0f, 0.05f, kAspect, g.profile.spriteSize, 1, g.profile.rounds, kFirstPatternSeed,
                    kBlockWords, g.profile.burnItems, 0, 0, 0};
  WriteFrameBytes(frame, static_cast<unsigned char*>(mapped.pData));
  g.context->Unmap(g.frame.Get(), 0);
  ID3D11Buffer* constants = g.frame.Get();
  g.context->VSSetConstantBuffers(0, 1, &constants);
  g.context->PSSetConstantBuffers(0, 1, &constants);

  DrawParticles(g);

  D3D11_TEXTURE2D_DESC target{};
  g.target->GetDesc(&target);
  target.Usage = D3D11_USAGE_STAGING;
  target.BindFlags = 0;
  target.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
  ComPtr<ID3D11Texture2D> readBack;
  ASSERT_TRUE(SUCCEEDED(d->CreateTexture2D(&target, nullptr, &readBack)));
  g.context->CopyResource(readBack.Get(), g.target.Get());
  ASSERT_TRUE(SUCCEEDED(g.context->Map(readBack.Get(), 0, D3D11_MAP_READ, 0, &mapped)));
  auto pixel = [&](UINT x, UINT y) {
    unsigned char rgba[4];
    std::memcpy(rgba, static_cast<const unsigned char*>(mapped.pData) + y * mapped.RowPitch + x * 4, 4);
    return std::array<int, 4>{rgba[0], rgba[1], rgba[2], rgba[3]};
  };
  const std::array<int, 4> corner = pixel(0, 0);
  const std::array<int, 4> centre = pixel(kTargetWidth / 2, kTargetHeight / 2);
  g.context->Unmap(readBack.Get(), 0);

  // The clear colour (0.012, 0.02, 0.045) is about (3, 5, 11); the sprite's
  // centre adds the cold colour x 0.16, about (10, 18, 39).
  EXPECT_NEAR(corner[2], 11, 2) << "not the clear colour";
  EXPECT_GE(centre[0], corner[0] + 6);
  EXPECT_GE(centre[1], corner[1] + 12);
  EXPECT_GE(centre[2], corner[2] + 30) << "the sprite did not reach the target";
}

}  // namespace
