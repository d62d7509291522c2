#include "probe/gpu/gpu_setup.h"

#include <new>

#include "probe/core/event_line.h"
#include "probe/core/exit_codes.h"
#include "probe/core/json_escape.h"
#include "probe/gpu/gpu_context.h"
#include "probe/gpu/gpu_stress_loop.h"
#include "probe/gpu/graphics_libraries.h"
#include "probe/gpu/shader_compile.h"

namespace {

IDXGIAdapter1* ChooseFrom(std::vector<ComPtr<IDXGIAdapter1>>& adapters, const std::vector<DXGI_ADAPTER_DESC1>& descs,
                          int32_t requested, DXGI_ADAPTER_DESC1* chosenDesc) {
  std::vector<AdapterFacts> facts;
  facts.reserve(descs.size());
  for (const DXGI_ADAPTER_DESC1& desc : descs) facts.push_back({desc.DedicatedVideoMemory, desc.Flags});
  const int32_t index = ChooseAdapterIndex(facts.data(), facts.size(), requested);
  if (index < 0) return nullptr;
  *chosenDesc = descs[index];
  return adapters[index].Detach();
}

}  // namespace

bool CreateDevice(PFN_D3D11_CREATE_DEVICE create, IDXGIAdapter1* adapter, GpuStressContext* g) {
  const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_1, D3D_FEATURE_LEVEL_11_0};
  D3D_FEATURE_LEVEL obtained{};
  HRESULT hr = create(adapter, D3D_DRIVER_TYPE_UNKNOWN, nullptr, 0, levels, 2, D3D11_SDK_VERSION, &g->device,
                      &obtained, &g->context);
  if (FAILED(hr)) {
    // Runtimes that do not know 11.1 reject the whole list.
    hr = create(adapter, D3D_DRIVER_TYPE_UNKNOWN, nullptr, 0, levels + 1, 1, D3D11_SDK_VERSION, &g->device,
                &obtained, &g->context);
  }
  return SUCCEEDED(hr) && g->device && g->context;
}

namespace {

D3D11_BUFFER_DESC StructuredDesc(UINT bytes, UINT stride, UINT bind) {
  D3D11_BUFFER_DESC desc{};
  desc.ByteWidth = bytes;
  desc.Usage = D3D11_USAGE_DEFAULT;
  desc.BindFlags = bind;
  desc.MiscFlags = D3D11_RESOURCE_MISC_BUFFER_STRUCTURED;
  desc.StructureByteStride = stride;
  return desc;
}

D3D11_BUFFER_DESC StagingDesc(UINT bytes) {
  D3D11_BUFFER_DESC desc{};
  desc.ByteWidth = bytes;
  desc.Usage = D3D11_USAGE_STAGING;
  desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
  return desc;
}

HRESULT CreateUav(ID3D11Device* device, ID3D11Buffer* buffer, UINT elements, ID3D11UnorderedAccessView** view) {
  D3D11_UNORDERED_ACCESS_VIEW_DESC desc{};
  desc.Format = DXGI_FORMAT_UNKNOWN;
  desc.ViewDimension = D3D11_UAV_DIMENSION_BUFFER;
  desc.Buffer.FirstElement = 0;
  desc.Buffer.NumElements = elements;
  return device->CreateUnorderedAccessView(buffer, &desc, view);
}

ComPtr<ID3D11Query> CreateQuery(ID3D11Device* device, D3D11_QUERY kind) {
  D3D11_QUERY_DESC desc{kind, 0};
  ComPtr<ID3D11Query> query;
  if (FAILED(device->CreateQuery(&desc, &query))) query.Reset();
  return query;
}

bool CreateShaders(GpuStressContext* g) {
  struct Entry {
    const char* name;
    const char* target;
  };
  static const Entry kEntries[] = {{"CheckCS", "cs_5_0"}, {"FillCS", "cs_5_0"},   {"VerifyCS", "cs_5_0"},
                                   {"MoveCS", "cs_5_0"},  {"BurnCS", "cs_5_0"},   {"DrawVS", "vs_5_0"},
                                   {"DrawPS", "ps_5_0"}};
  ComPtr<ID3DBlob> code[7];
  for (int i = 0; i < 7; ++i) {
    if (!CompileShader(kEntries[i].name, kEntries[i].target, &code[i])) return false;
  }
  ID3D11Device* d = g->device.Get();
  ComPtr<ID3D11ComputeShader>* compute[] = {&g->checkCS, &g->fillCS, &g->verifyCS, &g->moveCS, &g->burnCS};
  for (int i = 0; i < 5; ++i) {
    if (FAILED(d->CreateComputeShader(code[i]->GetBufferPointer(), code[i]->GetBufferSize(), nullptr,
                                      compute[i]->ReleaseAndGetAddressOf()))) {
      return false;
    }
  }
  return SUCCEEDED(d->CreateVertexShader(code[5]->GetBufferPointer(), code[5]->GetBufferSize(), nullptr,
                                         &g->drawVS)) &&
         SUCCEEDED(d->CreatePixelShader(code[6]->GetBufferPointer(), code[6]->GetBufferSize(), nullptr,
                                        &g->drawPS));
}

bool CreateParticles(GpuStressContext* g) {
  const uint32_t count = g->profile.particles;
  std::unique_ptr<Particle[]> start(new (std::nothrow) Particle[count]());
  if (!start) return false;
  GenerateParticles(start.get(), count);
  const D3D11_BUFFER_DESC desc = StructuredDesc(count * sizeof(Particle), sizeof(Particle),
                                                D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_UNORDERED_ACCESS);
  D3D11_SUBRESOURCE_DATA data{start.get(), 0, 0};
  if (FAILED(g->device->CreateBuffer(&desc, &data, &g->particles))) return false;
  start.reset();

  if (FAILED(CreateUav(g->device.Get(), g->particles.Get(), count, &g->particleUav))) return false;
  D3D11_SHADER_RESOURCE_VIEW_DESC srv{};
  srv.Format = DXGI_FORMAT_UNKNOWN;
  srv.ViewDimension = D3D11_SRV_DIMENSION_BUFFER;
  srv.Buffer.FirstElement = 0;
  srv.Buffer.NumElements = count;
  return SUCCEEDED(g->device->CreateShaderResourceView(g->particles.Get(), &srv, &g->particleSrv));
}

// The objects the loop cannot run without. A missing one is reported like a
// particle buffer that did not fit, so the loop never touches a null object.
bool CreateCheckAndCounters(GpuStressContext* g) {
  ID3D11Device* d = g->device.Get();
  D3D11_BUFFER_DESC desc = StructuredDesc(kCheckWords * 4, 4, D3D11_BIND_UNORDERED_ACCESS);
  if (FAILED(d->CreateBuffer(&desc, nullptr, &g->check)) ||
      FAILED(CreateUav(d, g->check.Get(), kCheckWords, &g->checkUav))) {
    return false;
  }
  desc = StagingDesc(kCheckWords * 4);
  if (FAILED(d->CreateBuffer(&desc, nullptr, &g->checkStaging))) return false;

  for (uint32_t k = 0; k < g->profile.blocksWanted; ++k) {
    MemoryBlock block;
    desc = StructuredDesc(g->profile.blockWords * 4, 4, D3D11_BIND_UNORDERED_ACCESS);
    if (FAILED(d->CreateBuffer(&desc, nullptr, &block.buffer))) break;
    // A block without a view cannot be checked; it ends the list like one that did not fit.
    if (FAILED(CreateUav(d, block.buffer.Get(), g->profile.blockWords, &block.view))) break;
    g->blocks.push_back(std::move(block));
  }

  const uint32_t zeros[4] = {};
  D3D11_SUBRESOURCE_DATA data{zeros, 0, 0};
  desc = StructuredDesc(16, 4, D3D11_BIND_UNORDERED_ACCESS);
  if (FAILED(d->CreateBuffer(&desc, &data, &g->wrong)) || FAILED(CreateUav(d, g->wrong.Get(), 4, &g->wrongUav))) {
    return false;
  }
  desc = StagingDesc(16);
  return SUCCEEDED(d->CreateBuffer(&desc, nullptr, &g->wrongStaging));
}

void CreateBurnAndTiming(GpuStressContext* g) {
  ID3D11Device* d = g->device.Get();
  const D3D11_BUFFER_DESC desc = StructuredDesc(g->profile.burnItems * 16, 16, D3D11_BIND_UNORDERED_ACCESS);
  if (FAILED(d->CreateBuffer(&desc, nullptr, &g->burn)) ||
      FAILED(CreateUav(d, g->burn.Get(), g->profile.burnItems, &g->burnUav))) {
    g->burnUav.Reset();
  }
  for (TimestampSlot& slot : g->slots) {
    slot.disjoint = CreateQuery(d, D3D11_QUERY_TIMESTAMP_DISJOINT);
    slot.begin = CreateQuery(d, D3D11_QUERY_TIMESTAMP);
    slot.end = CreateQuery(d, D3D11_QUERY_TIMESTAMP);
  }
}

bool FillReferenceTable(GpuStressContext* g) {
  g->reference.reset(static_cast<uint32_t*>(_aligned_malloc(kCheckWords * sizeof(uint32_t), 32)));
  if (!g->reference) return false;
  for (uint32_t i = 0; i < kCheckWords; ++i) g->reference[i] = CheckValue(i);
  return true;
}

}  // namespace

void CreateRenderTarget(GpuStressContext* g) {
  D3D11_TEXTURE2D_DESC desc{};
  desc.Width = kTargetWidth;
  desc.Height = kTargetHeight;
  desc.MipLevels = 1;
  desc.ArraySize = 1;
  desc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
  desc.SampleDesc.Count = 1;
  desc.Usage = D3D11_USAGE_DEFAULT;
  desc.BindFlags = D3D11_BIND_RENDER_TARGET;
  if (FAILED(g->device->CreateTexture2D(&desc, nullptr, &g->target)) ||
      FAILED(g->device->CreateRenderTargetView(g->target.Get(), nullptr, &g->targetView))) {
    g->targetView.Reset();
  }
}

bool CreateFrameAndDrawStates(GpuStressContext* g) {
  D3D11_BUFFER_DESC desc{};
  desc.ByteWidth = sizeof(Frame);
  desc.Usage = D3D11_USAGE_DYNAMIC;
  desc.BindFlags = D3D11_BIND_CONSTANT_BUFFER;
  desc.CPUAccessFlags = D3D11_CPU_ACCESS_WRITE;
  if (FAILED(g->device->CreateBuffer(&desc, nullptr, &g->frame))) return false;

  // Additive: the sprites add up into the target.
  D3D11_BLEND_DESC blend{};
  D3D11_RENDER_TARGET_BLEND_DESC& rt = blend.RenderTarget[0];
  rt.BlendEnable = TRUE;
  rt.SrcBlend = D3D11_BLEND_ONE;
  rt.DestBlend = D3D11_BLEND_ONE;
  rt.BlendOp = D3D11_BLEND_OP_ADD;
  rt.SrcBlendAlpha = D3D11_BLEND_ONE;
  rt.DestBlendAlpha = D3D11_BLEND_ONE;
  rt.BlendOpAlpha = D3D11_BLEND_OP_ADD;
  rt.RenderTargetWriteMask = D3D11_COLOR_WRITE_ENABLE_ALL;
  if (FAILED(g->device->CreateBlendState(&blend, &g->blend))) return false;

  // The sprite corners wind counter-clockwise on the target, which the default
  // rasteriser state culls as back faces: without this nothing would be drawn.
  D3D11_RASTERIZER_DESC raster{};
  raster.FillMode = D3D11_FILL_SOLID;
  raster.CullMode = D3D11_CULL_NONE;
  raster.DepthClipEnable = TRUE;
  if (FAILED(g->device->CreateRasterizerState(&raster, &g->raster))) g->raster.Reset();
  return true;
}

StressObjects CreateStressObjects(GpuStressContext* g) {
  CreateRenderTarget(g);
  g->fence[0] = CreateQuery(g->device.Get(), D3D11_QUERY_EVENT);
  g->fence[1] = CreateQuery(g->device.Get(), D3D11_QUERY_EVENT);
  if (!CreateShaders(g)) return StressObjects::kShadersFailed;
  if (!CreateParticles(g) || !CreateCheckAndCounters(g)) return StressObjects::kMemoryFailed;
  CreateBurnAndTiming(g);
  if (!CreateFrameAndDrawStates(g) || !FillReferenceTable(g)) return StressObjects::kMemoryFailed;
  return StressObjects::kCreated;
}

IDXGIAdapter1* ChooseAdapter(IDXGIFactory1* factory, int32_t requested, DXGI_ADAPTER_DESC1* chosenDesc) {
  std::vector<ComPtr<IDXGIAdapter1>> adapters;
  std::vector<DXGI_ADAPTER_DESC1> descs;
  for (UINT i = 0;; ++i) {
    ComPtr<IDXGIAdapter1> adapter;
    // Any failure, not only DXGI_ERROR_NOT_FOUND, ends the list.
    if (FAILED(factory->EnumAdapters1(i, &adapter))) break;
    DXGI_ADAPTER_DESC1 desc{};
    adapter->GetDesc1(&desc);
    adapters.push_back(std::move(adapter));
    descs.push_back(desc);
  }
  return ChooseFrom(adapters, descs, requested, chosenDesc);
}

int RunGpuStress(const Options& options) {
  ComPtr<IDXGIFactory1> factory;
  if (FAILED(CreateSystemDxgiFactory1(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(factory.GetAddressOf())))) {
    WriteLiteralLine("{\"event\":\"error\",\"what\":\"dxgi\"}");
    return kExitFailed;
  }
  auto g = std::make_unique<GpuStressContext>();
  g->mode = options.load;
  ComPtr<IDXGIAdapter1> adapter;
  adapter.Attach(ChooseAdapter(factory.Get(), options.adapter, &g->adapter));
  if (!adapter) {
    WriteLiteralLine("{\"event\":\"error\",\"what\":\"no_adapter\"}");
    return kExitFailed;
  }
  if (!CreateDevice(CreateSystemD3D11Device, adapter.Get(), g.get())) {
    WriteLiteralLine("{\"event\":\"error\",\"what\":\"device\"}");
    return kExitFailed;
  }
  g->profile = ProfileForMode(options.load, g->adapter.DedicatedVideoMemory);
  switch (CreateStressObjects(g.get())) {
    case StressObjects::kShadersFailed:
      WriteLiteralLine("{\"event\":\"error\",\"what\":\"shaders\"}");
      return kExitFailed;
    case StressObjects::kMemoryFailed:
      WriteLiteralLine("{\"event\":\"error\",\"what\":\"memory\"}");
      return kExitFailed;
    case StressObjects::kCreated:
      break;
  }
  g->sensors = OpenSensorContext(g->adapter.AdapterLuid, g->adapter.VendorId == kVendorAmd);
  EscapeJsonString(g->adapterName, kAdapterNameBytes, g->adapter.Description);
  return RunStressLoop(*g, options);
}
