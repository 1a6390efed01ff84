// Feeds a test's steps to the program one at a time, each time its loop (a modal dialog's or a
// sheet's) waits for input; the feed ends when the steps are used up.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <utility>

namespace testsupport {

class StepPlayer {
public:
    template <class Machine>
    void Play(Machine& machine, std::deque<std::function<void()>> steps) {
        steps_ = std::move(steps);
        machine.Input().SetQueueEmptyHandler([this] {
            if (steps_.empty()) return false;
            auto step = std::move(steps_.front());
            steps_.pop_front();
            step();
            return true;
        });
    }
    [[nodiscard]] std::size_t StepsLeft() const { return steps_.size(); }

private:
    std::deque<std::function<void()>> steps_;
};

}  // namespace testsupport
