// Kernels of a faulty card, handed out by the test compiler in place of the real
// ones: CheckCS gets exactly one index wrong per check, FillCS writes exactly
// 2,052 words wrong per fill, in the shapes a failing chip makes: a lone word,
// three neighbours in one thread's eight words, and the whole last thread
// group (256 threads of eight words). The worker must count exactly these.

cbuffer Frame : register(b0)
{
    float time;
    float dt;
    float aspect;
    float size;
    uint count;
    uint rounds;
    uint seed;
    uint chunkWords;
    uint burnItems;
    uint pad0;
    uint pad1;
    uint pad2;
};

RWStructuredBuffer<uint> CheckOut : register(u0);
RWStructuredBuffer<uint> Block : register(u0);

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
    if (i == 4242)
        x ^= 0x00010000u;
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
        {
            uint word = Pattern(i);
            if (i == 3 || (i >= 1000 && i <= 1002) || i >= chunkWords - 2048)
                word ^= 0x80u;
            Block[i] = word;
        }
    }
}
