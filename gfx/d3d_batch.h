// The execute-buffer batch of the 3D draw table: one execute buffer collects a frame's
// transformed-and-lit vertices at the front and its instructions behind them (a process-vertices
// instruction, render-state blocks holding only the states that changed, triangle blocks), and
// is executed when it fills or the frame ends.
#pragma once

#include <cstdint>

#include "win/d3d.h"

namespace gfx {

class D3DBatch {
public:
    // The sizes the 3D draw table uses: 2048 vertices, 32000 instruction bytes, reserves 10/100.
    static constexpr std::int32_t kVertices = 2048;
    static constexpr std::int32_t kInstructionBytes = 32000;
    static constexpr std::int32_t kVertexReserve = 10;
    static constexpr std::int32_t kInstructionReserve = 100;

    D3DBatch(std::int32_t maxVertices, std::int32_t instructionBytes, std::int32_t vertexReserve,
             std::int32_t instructionReserve, win::Direct3DDevice* device,
             win::Direct3DViewport* viewport);
    ~D3DBatch();
    D3DBatch(const D3DBatch&) = delete;
    D3DBatch& operator=(const D3DBatch&) = delete;

    // 1 when the buffer was made and locked; a batch without one must not be used.
    [[nodiscard]] int IsValid() const { return buffer != nullptr && vertexBase != nullptr; }

    // Sends a state unless the value sent last is the same.
    void SetRenderState(std::uint32_t state, std::uint32_t value);
    // The caller wrote n vertices at vertexPtr: adds the triangles of the polygon (a fan).
    void AddPolygon(std::int32_t n);
    // Flushes first when a polygon of n vertices with `states` state changes would not fit,
    // so that nothing written for it is lost to a flush half-way. 0 when it can never fit.
    int MakeRoom(std::int32_t n, std::int32_t states);
    void Flush();
    void ReleaseBatchBuffer();

    // The open render-state and triangle blocks (instruction headers), or null.
    std::uint8_t* stateBlock = nullptr;
    std::uint8_t* triangleBlock = nullptr;
    std::uint8_t* instrStart = nullptr;
    std::uint8_t* instrPtr = nullptr;
    win::D3DEXECUTEBUFFERDESC desc;
    win::Direct3DExecuteBuffer* buffer = nullptr;
    win::Direct3DViewport* viewport = nullptr;
    std::uint32_t slotTable[win::kRenderStateCount];
    std::int32_t vertexCount = 0;
    std::int32_t stateCount = 0;
    std::int32_t triangleCount = 0;
    std::int32_t maxVertices = 0;
    std::int32_t vertexLimit = 0;
    std::int32_t instrLimit = 0;  // bytes from instrStart
    std::uint8_t* vertexBase = nullptr;
    std::uint8_t* vertexPtr = nullptr;
    win::Direct3DDevice* device = nullptr;
    std::int32_t executes = 0;  // buffers executed so far

private:
    void StartBuffer();
    void CloseBlocks();
    [[nodiscard]] std::int32_t InstructionBytes() const {
        return static_cast<std::int32_t>(instrPtr - instrStart);
    }
};

// The batch of the 3D draw table: made by the first frame, destroyed with the device.
extern D3DBatch* theD3DBatch;
void DestroyD3DBatch();

}  // namespace gfx
