// The execute-buffer batch.
#include "gfx/d3d_batch.h"

#include <algorithm>

namespace gfx {

D3DBatch* theD3DBatch = nullptr;

namespace {

constexpr std::int32_t kProcessInstructionBytes =
    static_cast<std::int32_t>(win::kInstructionSize + win::kProcessVerticesSize);
// Offset of the vertex count inside the process-vertices instruction.
constexpr std::int32_t kProcessCountOffset = static_cast<std::int32_t>(win::kInstructionSize) + 8;

}  // namespace

D3DBatch::D3DBatch(std::int32_t maxVerts, std::int32_t instructionBytes, std::int32_t vertexReserve,
                   std::int32_t instructionReserve, win::Direct3DDevice* dev,
                   win::Direct3DViewport* vp) {
    std::fill(std::begin(slotTable), std::end(slotTable), 0xFFFFFFFFu);
    device = dev;
    viewport = vp;
    if (device == nullptr || maxVerts <= 0 || instructionBytes <= kProcessInstructionBytes + 4)
        return;
    desc.dwSize = 20;
    desc.dwFlags = win::D3DDEB_BUFSIZE;
    desc.dwCaps = 0;
    desc.dwBufferSize = static_cast<std::uint32_t>(maxVerts) * win::kTLVertexSize +
                        static_cast<std::uint32_t>(instructionBytes);
    if (win::FAILED(device->CreateExecuteBuffer(&desc, &buffer, nullptr))) {
        buffer = nullptr;
        return;
    }
    if (win::FAILED(buffer->Lock(&desc)) || desc.lpData == nullptr) {
        ReleaseBatchBuffer();
        return;
    }
    maxVertices = maxVerts;
    vertexLimit = maxVerts - vertexReserve;
    instrLimit = instructionBytes - instructionReserve;
    StartBuffer();
}

D3DBatch::~D3DBatch() {
    ReleaseBatchBuffer();
}

void D3DBatch::ReleaseBatchBuffer() {
    if (buffer != nullptr) {
        if (buffer->IsLocked()) buffer->Unlock();
        buffer->Release();
    }
    buffer = nullptr;
    vertexBase = vertexPtr = instrStart = instrPtr = nullptr;
    stateBlock = triangleBlock = nullptr;
}

void D3DBatch::StartBuffer() {
    vertexBase = vertexPtr = static_cast<std::uint8_t*>(desc.lpData);
    instrStart = instrPtr = vertexBase + static_cast<std::size_t>(maxVertices) * win::kTLVertexSize;
    win::WriteInstruction(instrPtr, win::D3DOP_PROCESSVERTICES,
                          static_cast<std::uint8_t>(win::kProcessVerticesSize), 1);
    win::D3DPROCESSVERTICES pv;
    pv.dwFlags = win::D3DPROCESSVERTICES_COPY | win::D3DPROCESSVERTICES_UPDATEEXTENTS;
    win::WriteProcessVertices(instrPtr + win::kInstructionSize, pv);
    instrPtr += kProcessInstructionBytes;
    vertexCount = 0;
    stateCount = 0;
    triangleCount = 0;
    stateBlock = triangleBlock = nullptr;
}

void D3DBatch::CloseBlocks() {
    stateBlock = nullptr;
    triangleBlock = nullptr;
    stateCount = 0;
    triangleCount = 0;
}

void D3DBatch::SetRenderState(std::uint32_t state, std::uint32_t value) {
    if (!IsValid() || state >= win::kRenderStateCount) return;
    if (slotTable[state] != value || value == 0xFFFFFFFFu) {
        slotTable[state] = value;
        if (stateBlock == nullptr) {
            triangleBlock = nullptr;
            triangleCount = 0;
            stateBlock = instrPtr;
            win::WriteInstruction(stateBlock, win::D3DOP_STATERENDER,
                                  static_cast<std::uint8_t>(win::kStateSize), 0);
            instrPtr += win::kInstructionSize;
            stateCount = 0;
        }
        win::WriteState(instrPtr, state, value);
        instrPtr += win::kStateSize;
        ++stateCount;
        win::WriteInstruction(stateBlock, win::D3DOP_STATERENDER,
                              static_cast<std::uint8_t>(win::kStateSize),
                              static_cast<std::uint16_t>(stateCount));
    }
    if (InstructionBytes() >= instrLimit) Flush();
}

int D3DBatch::MakeRoom(std::int32_t n, std::int32_t states) {
    if (!IsValid() || n < 3) return 0;
    const std::int32_t instrNeed = static_cast<std::int32_t>(
        2 * win::kInstructionSize + static_cast<std::size_t>(states) * win::kStateSize +
        static_cast<std::size_t>(n - 2) * win::kTriangleSize);
    if (n > maxVertices || kProcessInstructionBytes + instrNeed > instrLimit) return 0;
    // A triangle count is 16 bits wide and vertex indices too.
    if (vertexCount + n > maxVertices || InstructionBytes() + instrNeed > instrLimit ||
        triangleCount + n > 0xFFFF)
        Flush();
    return 1;
}

void D3DBatch::AddPolygon(std::int32_t n) {
    if (!IsValid() || n < 3) return;
    stateBlock = nullptr;
    stateCount = 0;
    if (triangleBlock == nullptr) {
        triangleBlock = instrPtr;
        win::WriteInstruction(triangleBlock, win::D3DOP_TRIANGLE,
                              static_cast<std::uint8_t>(win::kTriangleSize), 0);
        instrPtr += win::kInstructionSize;
        triangleCount = 0;
    }
    const auto base = static_cast<std::uint16_t>(vertexCount);
    if (n == 3) {
        win::WriteTriangle(instrPtr, base, static_cast<std::uint16_t>(base + 1),
                           static_cast<std::uint16_t>(base + 2), 0x700);
        instrPtr += win::kTriangleSize;
    } else {
        for (std::int32_t i = 2; i < n; ++i) {
            win::WriteTriangle(instrPtr, base, static_cast<std::uint16_t>(base + i - 1),
                               static_cast<std::uint16_t>(base + i), i == 2 ? 0x700 : 0x71F);
            instrPtr += win::kTriangleSize;
        }
    }
    triangleCount += n - 2;
    win::WriteInstruction(triangleBlock, win::D3DOP_TRIANGLE,
                          static_cast<std::uint8_t>(win::kTriangleSize),
                          static_cast<std::uint16_t>(triangleCount));
    vertexPtr += static_cast<std::size_t>(n) * win::kTLVertexSize;
    vertexCount += n;
    if (vertexCount >= vertexLimit || InstructionBytes() >= instrLimit) Flush();
}

void D3DBatch::Flush() {
    if (!IsValid()) return;
    std::uint8_t* count = instrStart + kProcessCountOffset;
    count[0] = static_cast<std::uint8_t>(vertexCount);
    count[1] = static_cast<std::uint8_t>(vertexCount >> 8);
    count[2] = static_cast<std::uint8_t>(vertexCount >> 16);
    count[3] = static_cast<std::uint8_t>(vertexCount >> 24);
    CloseBlocks();
    win::WriteInstruction(instrPtr, win::D3DOP_EXIT, 0, 0);
    instrPtr += win::kInstructionSize;
    buffer->Unlock();
    win::D3DEXECUTEDATA data;
    data.dwVertexOffset = 0;
    data.dwVertexCount = static_cast<std::uint32_t>(vertexCount);
    data.dwInstructionOffset = static_cast<std::uint32_t>(instrStart - vertexBase);
    data.dwInstructionLength = static_cast<std::uint32_t>(InstructionBytes());
    buffer->SetExecuteData(&data);
    if (viewport != nullptr) device->Execute(buffer, viewport, win::D3DEXECUTE_UNCLIPPED);
    ++executes;
    if (win::FAILED(buffer->Lock(&desc)) || desc.lpData == nullptr) {
        ReleaseBatchBuffer();
        return;
    }
    StartBuffer();
}

void DestroyD3DBatch() {
    delete theD3DBatch;
    theD3DBatch = nullptr;
}

}  // namespace gfx
