// How members are stored in the volumes we make: every maker of volumes (the data maker's
// volumes, the terrain tiles, volpack) adds its members through AddCodedMembers, so each member
// gets the code that pays for it and a new kind of member is coded without more work.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/volume_stream.h"

namespace core {

// A member's code as it goes into the volume's "VBLK" body.
struct VolumeMemberCode {
    std::uint8_t compression = kVolumeStored;
    std::uint32_t size = 0;          // uncoded bytes
    std::vector<std::uint8_t> code;  // the body: the bytes themselves when stored
};

// The code a member is stored with. Run-length when it saves a tenth or more (it decodes at
// about the speed of a copy), and always when it makes the member a quarter of its size or
// less; otherwise LZH when that saves a fifth or more over the better of stored and run-length
// (it decodes at tens of megabytes a second, so it must pay for that); otherwise stored.
// Members under 64 bytes are stored.
[[nodiscard]] VolumeMemberCode CodeVolumeMember(std::span<const std::uint8_t> bytes);
// The member stored as it is.
[[nodiscard]] VolumeMemberCode PlainMember(std::span<const std::uint8_t> bytes);

// A member to add: named (`name`) or numbered (`id`).
struct VolumeMemberBytes {
    bool named = true;
    std::string name;
    std::uint32_t id = 0;
    std::span<const std::uint8_t> bytes;
    // Kept as it is, whatever a code would save: for members the program reads whole at every
    // start, where decoding them would cost more than their size on disk is worth.
    bool plain = false;
};

// Codes the members (see CodeVolumeMember) and adds them to a volume being built, in the order
// given; 1 when every one was added. The coding runs on up to SetVolumeCodingThreads threads
// (one unless a tool asks for more; the program itself never writes volumes).
int AddCodedMembers(VolumeRWStream& volume, std::span<const VolumeMemberBytes> members);
void SetVolumeCodingThreads(unsigned threads);

}  // namespace core
