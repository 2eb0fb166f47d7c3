#pragma once
// A device end for link tests: records each write call of the PC and answers with prepared
// replies, each once a given number of bytes has arrived since the previous one.
#include <cstdint>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "usblink/memory_platform.h"

namespace livna::test {

class ScriptedDevice : public MemoryDeviceEnd {
public:
    /// After `bytes` more bytes from the PC, reply is sent.
    void replyAfter(std::size_t bytes, std::vector<std::uint8_t> reply) {
        m_replies.emplace_back(bytes, std::move(reply));
    }

    void fromPc(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& toPc) override {
        writes.emplace_back(bytes.begin(), bytes.end());
        times.push_back(clock ? clock() : 0.0);
        m_count += bytes.size();
        while (!m_replies.empty() && m_count >= m_replies.front().first) {
            m_count -= m_replies.front().first;
            toPc.insert(toPc.end(), m_replies.front().second.begin(), m_replies.front().second.end());
            m_replies.pop_front();
        }
    }

    /// Every byte written, in order.
    std::vector<std::uint8_t> allWritten() const {
        std::vector<std::uint8_t> out;
        for (const auto& w : writes) out.insert(out.end(), w.begin(), w.end());
        return out;
    }
    /// Sizes of the write calls, in order.
    std::vector<std::size_t> writeSizes() const {
        std::vector<std::size_t> out;
        for (const auto& w : writes) out.push_back(w.size());
        return out;
    }

    std::vector<std::vector<std::uint8_t>> writes;
    std::vector<double> times;      ///< arrival time of each write call, from clock
    std::function<double()> clock;  ///< for example the virtual time of a RecordingSleeper

private:
    std::deque<std::pair<std::size_t, std::vector<std::uint8_t>>> m_replies;
    std::size_t m_count = 0;
};

}  // namespace livna::test
