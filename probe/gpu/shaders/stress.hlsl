// The GPU stress program. Every entry is compiled on its own, so kernels that
// never run together may share a register.

cbuffer Frame : register(b0)
{
    float time;       // seconds since the stress loop began
    float dt;         // seconds since the previous frame, at most 0.05
    float aspect;     // width / height of the render target
    float size;       // sprite size
    uint count;       // particles
    uint rounds;      // integration steps per frame
    uint seed;        // pattern seed of the video-memory check
    uint chunkWords;  // 32-bit words in one video-memory block
    uint burnItems;   // float4 elements of the burn buffer
    uint pad0;
    uint pad1;
    uint pad2;
};

struct Particle
{
    float4 pos;
    float4 vel;
};

struct VSOut
{
    float4 pos : SV_Position;
    float2 uv : TEXCOORD0;
    float4 col : COLOR0;
};

RWStructuredBuffer<uint> CheckOut : register(u0);
RWStructuredBuffer<uint> Block : register(u0);
RWStructuredBuffer<uint> Wrong : register(u1);
RWStructuredBuffer<float4> Burn : register(u0);
RWStructuredBuffer<Particle> Parts : register(u0);
StructuredBuffer<Particle> Drawn : register(t0);

// The processor computes the same chain; any difference is a fault of the card.
[numthreads(256, 1, 1)]
void CheckCS(uint3 tid : SV_DispatchThreadID)
{
    uint i = tid.x;
    uint x = i * 2654435761u + 0x9E3779B9u;
    uint y = i ^ 0xA511E9B3u;
    [loop]
    for (uint r = 0; r < 1024; ++r)
    {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        y = y * 1664525u + 1013904223u;
        x += y ^ (x >> 7);
    }
    CheckOut[i] = x;
}

uint Pattern(uint i)
{
    uint v = (i ^ seed) * 0x27D4EB2Du;
    return v ^ (v >> 15) ^ seed;
}

[numthreads(256, 1, 1)]
void FillCS(uint3 tid : SV_DispatchThreadID)
{
    [unroll]
    for (uint k = 0; k < 8; ++k)
    {
        uint i = tid.x * 8 + k;
        if (i < chunkWords)
            Block[i] = Pattern(i);
    }
}

// Wrong[0] is never reset: it is the running total of bad words of the run.
[numthreads(256, 1, 1)]
void VerifyCS(uint3 tid : SV_DispatchThreadID)
{
    uint bad = 0;
    [unroll]
    for (uint k = 0; k < 8; ++k)
    {
        uint i = tid.x * 8 + k;
        if (i < chunkWords && Block[i] != Pattern(i))
            bad += 1;
    }
    if (bad > 0)
        InterlockedAdd(Wrong[0], bad);
}

// Eight independent multiply-add chains between coalesced reads spread over the
// whole buffer, so memory works as hard as the shader cores; every thread
// writes its result so nothing can be optimised away.
[numthreads(256, 1, 1)]
void BurnCS(uint3 tid : SV_DispatchThreadID)
{
    uint id = tid.x;
    uint n = burnItems;
    float4 a = float4((float)id * 1e-6, 0.5, 0.25, 0.125) + time * 1e-3;
    const float4 b = float4(0.9999, 1.0001, 0.99995, 1.00005);
    const float4 c = float4(1e-4, -1e-4, 2e-4, -2e-4);
    float4 d = a.wzyx;
    float4 e = a.yxwz;
    float4 f = a.zwxy;
    float4 g = a.xzyw;
    float4 h = a.wyxz;
    float4 i4 = a.zyxw;
    float4 j = a.xwzy;
    [loop]
    for (uint r = 0; r < 64; ++r)
    {
        a += Burn[(id + r * 1048576u) % n] * 1e-6;
        [unroll]
        for (uint k = 0; k < 8; ++k)
        {
            a = mad(a, b, c);
            d = mad(d, b, c);
            e = mad(e, b, c);
            f = mad(f, b, c);
            g = mad(g, b, c);
            h = mad(h, b, c);
            i4 = mad(i4, b, c);
            j = mad(j, b, c);
        }
    }
    g += h + i4 + j;
    Burn[id % n] = a + d + e + f + g;
}

float3 Flow(float3 p, float t)
{
    return 0.5 * float3(sin(p.y * 1.7 + t) + cos(p.z * 1.3 - t * 0.7),
                        sin(p.z * 1.9 - t * 0.6) + cos(p.x * 1.1 + t * 0.4),
                        sin(p.x * 1.5 + t * 0.5) + cos(p.y * 1.2 - t));
}

[numthreads(256, 1, 1)]
void MoveCS(uint3 tid : SV_DispatchThreadID)
{
    uint id = tid.x;
    if (id >= count)
        return;
    Particle q = Parts[id];
    float3 p = q.pos.xyz;
    float3 v = q.vel.xyz;
    float h = dt / (float)rounds;
    [loop]
    for (uint r = 0; r < rounds; ++r)
    {
        float3 toCenter = -p / max(0.15, dot(p, p));
        float3 swirl = float3(-p.z, 0.15 * sin(time + p.x), p.x);
        v += (Flow(p * 1.3, time) * 0.9 + toCenter * 0.35 + swirl * 0.6) * h;
        v *= 1.0 - 0.35 * h;
        p += v * h;
    }
    // A particle that flew off is pulled back in, turned round and slowed.
    if (dot(p, p) > 16.0)
    {
        p *= 0.25;
        v *= -0.2;
    }
    q.pos.xyz = p;
    q.vel.xyz = v;
    Parts[id] = q;
}

static const float2 kCorners[6] =
{
    float2(-1, -1), float2(1, -1), float2(-1, 1),
    float2(-1, 1), float2(1, -1), float2(1, 1)
};

// Six vertices per particle, no vertex buffer: a sprite facing the viewer.
VSOut DrawVS(uint vid : SV_VertexID)
{
    Particle q = Drawn[vid / 6];
    float2 c = kCorners[vid % 6];
    float a = time * 0.12;
    float3 p = q.pos.xyz;
    float ca = cos(a);
    float sa = sin(a);
    float3 r = float3(p.x * ca - p.z * sa, p.y * 0.8, p.x * sa + p.z * ca);
    float z = r.z + 3.2;
    float2 s = float2(r.x / aspect, r.y) * 1.9 / z;
    VSOut o;
    o.pos = float4(s + c * float2(size / aspect, size) / z, 0.5, 1.0);
    o.uv = c;
    float speed = saturate(length(q.vel.xyz) * 0.9);
    const float3 cold = float3(0.25, 0.45, 0.95);
    const float3 warm = float3(0.35, 0.85, 0.8);
    const float3 hot = float3(1.0, 0.7, 0.3);
    o.col = float4(lerp(lerp(cold, warm, saturate(speed * 2)), hot, saturate(speed * 2 - 1)), 1.0);
    return o;
}

float4 DrawPS(VSOut i) : SV_Target
{
    float d = dot(i.uv, i.uv);
    float glow = exp(-d * 3.5);
    return float4(i.col.rgb * glow * 0.16, 0.0);
}
