#pragma once

// Everything a GPU stress run creates once and keeps until the process ends.

#include <d3d11.h>
#include <dxgi.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "probe/gpu/gpu_sensors.h"
#include "probe/gpu/gpu_stress_unit.h"

using Microsoft::WRL::ComPtr;

constexpr UINT kTargetWidth = 1280;  // the off-screen render target, 16:9 like kAspect
constexpr UINT kTargetHeight = 720;
constexpr int kTimestampSlots = 6;
constexpr size_t kAdapterNameBytes = 300;

struct TimestampSlot {
  ComPtr<ID3D11Query> disjoint;
  ComPtr<ID3D11Query> begin;
  ComPtr<ID3D11Query> end;
  bool pending = false;
};

struct MemoryBlock {
  ComPtr<ID3D11Buffer> buffer;
  ComPtr<ID3D11UnorderedAccessView> view;
};

struct AlignedFree {
  void operator()(uint32_t* p) const { _aligned_free(p); }
};

struct GpuStressContext {
  int32_t mode = 1;
  DXGI_ADAPTER_DESC1 adapter{};
  LoadProfile profile{};

  ComPtr<ID3D11Device> device;
  ComPtr<ID3D11DeviceContext> context;
  ComPtr<ID3D11Texture2D> target;             // optional: no drawing without it
  ComPtr<ID3D11RenderTargetView> targetView;
  ComPtr<ID3D11Query> fence[2];               // optional: no fence wait without them

  ComPtr<ID3D11ComputeShader> checkCS, fillCS, verifyCS, moveCS, burnCS;
  ComPtr<ID3D11VertexShader> drawVS;
  ComPtr<ID3D11PixelShader> drawPS;

  ComPtr<ID3D11Buffer> particles;
  ComPtr<ID3D11UnorderedAccessView> particleUav;
  ComPtr<ID3D11ShaderResourceView> particleSrv;
  ComPtr<ID3D11Buffer> check;
  ComPtr<ID3D11UnorderedAccessView> checkUav;
  ComPtr<ID3D11Buffer> checkStaging;
  std::vector<MemoryBlock> blocks;            // 0 … blocks wanted
  ComPtr<ID3D11Buffer> wrong;
  ComPtr<ID3D11UnorderedAccessView> wrongUav;
  ComPtr<ID3D11Buffer> wrongStaging;
  ComPtr<ID3D11Buffer> burn;
  ComPtr<ID3D11UnorderedAccessView> burnUav;  // optional: no burn work without it
  TimestampSlot slots[kTimestampSlots];       // optional: a slot with a missing query is never used
  ComPtr<ID3D11Buffer> frame;
  ComPtr<ID3D11BlendState> blend;
  ComPtr<ID3D11RasterizerState> raster;        // optional: the default state culls the sprites

  std::unique_ptr<uint32_t[], AlignedFree> reference;  // CheckValue(0 … 262,143)
  SensorContext sensors;
  char adapterName[kAdapterNameBytes] = {};
};
