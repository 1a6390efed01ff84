#include "platform/headless/headless_backend.h"

#include <cstring>

namespace platform {

bool HeadlessVideo::Open(const VideoOptions& options) {
    open_ = true;
    title_ = options.title;
    fullScreen_ = options.fullScreen;
    pixels_.assign(static_cast<std::size_t>(kFrameWidth) * kFrameHeight, 0);
    return true;
}

bool HeadlessVideo::Present8(const std::uint8_t* indices, int pitch, const Palette& palette) {
    if (indices == nullptr || pitch < kFrameWidth) return false;
    indices_.resize(static_cast<std::size_t>(kFrameWidth) * kFrameHeight);
    palette_ = palette;
    lut_.Update(palette);
    pixels_.resize(indices_.size());
    // One pass over the frame: each row is kept and converted while it is in the cache.
    for (int y = 0; y < kFrameHeight; ++y) {
        const std::uint8_t* row = indices + static_cast<std::ptrdiff_t>(y) * pitch;
        std::memcpy(&indices_[static_cast<std::size_t>(y) * kFrameWidth], row, kFrameWidth);
        ConvertIndexed(row, pitch, lut_.Table(),
                       &pixels_[static_cast<std::size_t>(y) * kFrameWidth], kFrameWidth,
                       kFrameWidth, 1);
    }
    lastIndexed_ = true;
    ++frames_;
    return true;
}

bool HeadlessVideo::Present32(const std::uint32_t* pixels, int pitchPixels) {
    if (pixels == nullptr || pitchPixels < kFrameWidth) return false;
    pixels_.resize(static_cast<std::size_t>(kFrameWidth) * kFrameHeight);
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x)
            pixels_[static_cast<std::size_t>(y) * kFrameWidth + x] =
                0xFF000000u | pixels[static_cast<std::ptrdiff_t>(y) * pitchPixels + x];
    lastIndexed_ = false;
    ++frames_;
    return true;
}

bool HeadlessVideo::SetPalette(const Palette& palette) {
    palette_ = palette;
    if (!lastIndexed_) return true;
    if (lut_.Update(palette))
        ConvertIndexed(indices_.data(), kFrameWidth, lut_.Table(), pixels_.data(), kFrameWidth,
                       kFrameWidth, kFrameHeight);
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
    format_ = format;
    open_ = true;
    return true;
}

bool HeadlessAudio::Feed(const std::int16_t* samples, std::size_t count) {
    if (!open_ || (samples == nullptr && count != 0)) return false;
    captured_.insert(captured_.end(), samples, samples + count);
    return true;
}

}  // namespace platform
