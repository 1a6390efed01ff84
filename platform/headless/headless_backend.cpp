#include "platform/headless/headless_backend.h"

#include <algorithm>
#include <cstring>

namespace platform {

bool HeadlessVideo::Open(const VideoOptions& options) {
    open_ = true;
    title_ = options.title;
    fullScreen_ = options.fullScreen;
    pixels_.assign(static_cast<std::size_t>(kFrameWidth) * kFrameHeight, 0);
    rows_.Forget();
    return true;
}

bool HeadlessVideo::Present8(const std::uint8_t* indices, int pitch, const Palette& palette,
                             const std::uint8_t* rowsChanged) {
    if (indices == nullptr || pitch < kFrameWidth) return false;
    palette_ = palette;
    const bool recoloured = lut_.Update(palette);
    pixels_.resize(static_cast<std::size_t>(kFrameWidth) * kFrameHeight);
    // The rows that changed become the screen's pixels; the others already are.
    const ChangedRows::Band band =
        rows_.Take(indices, pitch, kFrameWidth, kFrameHeight, recoloured || !lastIndexed_,
                   rowsChanged);
    for (int y = band.first; y <= band.last; ++y)
        if (rows_.Differs(y))
            ConvertIndexed(indices + static_cast<std::ptrdiff_t>(y) * pitch, pitch, lut_,
                           &pixels_[static_cast<std::size_t>(y) * kFrameWidth], kFrameWidth,
                           kFrameWidth, 1);
    lastIndexed_ = true;
    ++frames_;
    return true;
}

// The whole frame is kept whatever the caller says of its rows.
bool HeadlessVideo::Present32(const std::uint32_t* pixels, int pitchPixels,
                             const std::uint8_t* /*rowsChanged*/) {
    if (pixels == nullptr || pitchPixels < kFrameWidth) return false;
    pixels_.resize(static_cast<std::size_t>(kFrameWidth) * kFrameHeight);
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x)
            pixels_[static_cast<std::size_t>(y) * kFrameWidth + x] =
                0xFF000000u | pixels[static_cast<std::ptrdiff_t>(y) * pitchPixels + x];
    rows_.Forget();
    lastIndexed_ = false;
    ++frames_;
    return true;
}

bool HeadlessEvents::Poll(Event* event) {
    if (queue_.empty()) return false;
    *event = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

bool HeadlessEvents::Wait(Event* event, std::uint32_t timeoutMs) {
    if (Poll(event)) return true;
    if (onEmpty_) {
        // The driver decides how time passes.
        if (!exhausted_ && !onEmpty_()) exhausted_ = true;
        return Poll(event);
    }
    // Nothing will ever arrive by itself: let the virtual time of the wait pass.
    if (timeoutMs != kWaitForever && clock_ != nullptr) clock_->Advance(timeoutMs);
    return false;
}

void HeadlessEvents::OnQueueEmpty() {
    if (onEmpty_ && !exhausted_ && !onEmpty_()) exhausted_ = true;
}

bool HeadlessAudio::Open(const AudioFormat& format) {
    if (format.rate <= 0 || format.channels < 1 || format.channels > 2) return false;
    const std::uint64_t now = clock_ != nullptr ? clock_->Counter() : 0;
    if (!started_ || format.rate != format_.rate || format.channels != format_.channels) {
        // The capture's samples must all share one format.
        captured_.clear();
        dropped_ = 0;
        originMicros_ = now;
        started_ = true;
        format_ = format;
    } else {
        PadToNow();
    }
    if (!open_) ++opens_;
    open_ = true;
    return true;
}

void HeadlessAudio::Close() {
    if (open_) PadToNow();
    open_ = false;
}

bool HeadlessAudio::Feed(const std::int16_t* samples, std::size_t count) {
    if (!open_ || (samples == nullptr && count != 0)) return false;
    if (keep_)
        captured_.insert(captured_.end(), samples, samples + count);
    else
        dropped_ += count;
    return true;
}

std::uint64_t HeadlessAudio::FramesByNow() const {
    if (clock_ == nullptr || !started_) return 0;
    const std::uint64_t micros = clock_->Counter() - originMicros_;
    return micros * static_cast<std::uint64_t>(format_.rate) / 1000000u;
}

void HeadlessAudio::PadToNow() {
    const std::uint64_t want = FramesByNow() * static_cast<std::uint64_t>(format_.channels);
    if (want <= dropped_ + captured_.size()) return;
    if (keep_)
        captured_.resize(static_cast<std::size_t>(want - dropped_), 0);
    else
        dropped_ = want - captured_.size();
}

std::size_t HeadlessAudio::FramesDue() {
    if (!open_) return 0;
    const std::uint64_t have =
        (dropped_ + captured_.size()) / static_cast<std::uint64_t>(format_.channels);
    const std::uint64_t want = FramesByNow();
    return want > have ? static_cast<std::size_t>(want - have) : 0;
}

std::uint32_t HeadlessAudio::MsQueued() {
    if (!open_) return kWaitForever;
    const std::int64_t fed = static_cast<std::int64_t>(
        (dropped_ + captured_.size()) / static_cast<std::uint64_t>(format_.channels));
    const std::int64_t ahead =
        (fed - static_cast<std::int64_t>(FramesByNow())) * 1000 / format_.rate;
    return static_cast<std::uint32_t>(std::max<std::int64_t>(0, kSoundLeadMs + ahead));
}

const std::vector<std::int16_t>& HeadlessAudio::Captured() {
    if (!open_) PadToNow();
    return captured_;
}

bool HeadlessJoysticks::GetInfo(int index, JoystickInfo* info) {
    if (index < 0 || index >= Count() || info == nullptr) return false;
    *info = sticks_[static_cast<std::size_t>(index)].info;
    return true;
}

bool HeadlessJoysticks::Read(int index, JoystickState* state) {
    if (index < 0 || index >= Count() || state == nullptr) return false;
    Stick& s = sticks_[static_cast<std::size_t>(index)];
    LetGo(s);
    *state = s.state;
    return true;
}

void HeadlessJoysticks::LetGo(Stick& s) {
    const std::uint64_t now = clock_ != nullptr ? clock_->Counter() : ~std::uint64_t{0};
    for (int b = 0; b < kMaxJoystickButtons; ++b) {
        if (s.releaseAt[b] == 0 || s.releaseAt[b] > now) continue;
        s.releaseAt[b] = 0;
        s.state.buttons &= ~(1u << b);
    }
}

bool HeadlessJoysticks::PressButton(int index, int button, std::uint32_t ms) {
    if (!SetButton(index, button, true)) return false;
    const std::uint64_t now = clock_ != nullptr ? clock_->Counter() : 0;
    sticks_[static_cast<std::size_t>(index)].releaseAt[button - 1] =
        std::max<std::uint64_t>(now + std::uint64_t{ms} * 1000, 1);
    return true;
}

int HeadlessJoysticks::Plug(const JoystickInfo& info) {
    Stick s;
    s.info = info;
    s.serial = nextSerial_++;
    sticks_.push_back(s);
    return Count() - 1;
}

std::uint32_t HeadlessJoysticks::SerialOf(int index) const {
    if (index < 0 || index >= static_cast<int>(sticks_.size())) return 0;
    return sticks_[static_cast<std::size_t>(index)].serial;
}

bool HeadlessJoysticks::IsPlugged(std::uint32_t serial) const {
    for (const Stick& s : sticks_)
        if (s.serial == serial) return true;
    return false;
}

bool HeadlessJoysticks::Unplug(int index) {
    if (index < 0 || index >= Count()) return false;
    sticks_.erase(sticks_.begin() + index);
    return true;
}

bool HeadlessJoysticks::SetAxis(int index, int axis, std::int16_t value) {
    if (index < 0 || index >= Count() || axis < 0 || axis >= kMaxJoystickAxes) return false;
    Stick& s = sticks_[static_cast<std::size_t>(index)];
    if (axis >= s.info.axes) return false;
    s.state.axes[static_cast<std::size_t>(axis)] = value;
    return true;
}

bool HeadlessJoysticks::SetButton(int index, int button, bool down) {
    if (index < 0 || index >= Count() || button < 1 || button > kMaxJoystickButtons) return false;
    Stick& s = sticks_[static_cast<std::size_t>(index)];
    if (button > s.info.buttons) return false;
    const std::uint32_t bit = 1u << (button - 1);
    s.state.buttons = down ? (s.state.buttons | bit) : (s.state.buttons & ~bit);
    s.releaseAt[button - 1] = 0;
    return true;
}

bool HeadlessJoysticks::SetHat(int index, int hat, std::uint8_t bits) {
    if (index < 0 || index >= Count() || hat < 0 || hat >= kMaxJoystickHats) return false;
    Stick& s = sticks_[static_cast<std::size_t>(index)];
    if (hat >= s.info.hats) return false;
    s.state.hats[static_cast<std::size_t>(hat)] = bits;
    return true;
}

}  // namespace platform
