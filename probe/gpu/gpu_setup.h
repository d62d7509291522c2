#pragma once

#include <dxgi.h>

#include "probe/core/options.h"
#include "probe/gpu/gpu_context.h"

// The GPU stress (modes 0, 1, 2): set-up, then the stress loop. Returns the exit
// code; 4 after an error line when the set-up fails.
int RunGpuStress(const Options& options);

// Enumerates the factory's adapters and picks one by ChooseAdapterIndex. Returns
// the chosen adapter (or null) and its description; every other one is released.
IDXGIAdapter1* ChooseAdapter(IDXGIFactory1* factory, int32_t requested, DXGI_ADAPTER_DESC1* chosenDesc);

// The device and immediate context on adapter, through create (the system d3d11
// in a run): levels 11.1 and 11.0, then 11.0 alone, since a runtime that does not
// know 11.1 rejects the whole list. False when neither call gives both objects.
bool CreateDevice(PFN_D3D11_CREATE_DEVICE create, IDXGIAdapter1* adapter, GpuStressContext* g);

// Everything the loop uses, after the device, sized by g->profile: target,
// fence, shaders, buffers, queries, states and the reference table.
enum class StressObjects { kCreated, kShadersFailed, kMemoryFailed };
StressObjects CreateStressObjects(GpuStressContext* g);

// The off-screen kTargetWidth x kTargetHeight target and its view (g->device set).
// Leaves targetView null when either cannot be created; the draw is then skipped.
void CreateRenderTarget(GpuStressContext* g);

// The Frame constant buffer and the states the particle draw uses (g->device set).
// False when the constant buffer or the blend state cannot be created.
bool CreateFrameAndDrawStates(GpuStressContext* g);
