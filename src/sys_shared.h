// The two primitives every worker uses:
//   Shared<T>  - a reference-counted state behind a mutex;
//   channel<T> - a request channel (Sender / Receiver).
//
// Poisoning: a lock is "poisoned" when an exception escapes the function that
// held it (Shared::with / try_with). The state may then be half-written, so
// from that moment every lock of it reports poisoned (lock() and with() give
// nothing) and readers skip the update, keeping their last copy.
#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

template <class T>
class Shared {
    struct Cell {
        std::mutex m;
        T value{};
        bool poisoned = false;
    };
public:
    Shared() : cell_(std::make_shared<Cell>()) {}
    explicit Shared(T initial) : cell_(std::make_shared<Cell>()) { cell_->value = std::move(initial); }

    // A held lock with access to the value; empty when the state is poisoned.
    class Guard {
    public:
        Guard(std::unique_lock<std::mutex> lk, Cell* c) : lk_(std::move(lk)), c_(c) {}
        T& operator*() { return c_->value; }
        T* operator->() { return &c_->value; }
        // Marks the state poisoned (for code that notices a half-done write).
        void poison() { c_->poisoned = true; }
    private:
        std::unique_lock<std::mutex> lk_;
        Cell* c_;
    };

    std::optional<Guard> lock() const {
        std::unique_lock<std::mutex> lk(cell_->m);
        if (cell_->poisoned) return std::nullopt;
        return Guard(std::move(lk), cell_.get());
    }

    // Runs fn(T&) under the lock; false when the state was poisoned. An
    // exception escaping fn poisons the state and is passed on.
    template <class F>
    bool with(F&& fn) const {
        std::unique_lock<std::mutex> lk(cell_->m);
        if (cell_->poisoned) return false;
        try {
            fn(cell_->value);
        } catch (...) {
            cell_->poisoned = true;
            throw;
        }
        return true;
    }

    // A copy of the value, or nothing when poisoned.
    std::optional<T> snapshot() const {
        std::optional<T> out;
        with([&](T& v) { out = v; });
        return out;
    }

    bool poisoned() const {
        std::lock_guard<std::mutex> lk(cell_->m);
        return cell_->poisoned;
    }
    long use_count() const { return cell_.use_count(); }
    bool same(const Shared& o) const { return cell_ == o.cell_; }

private:
    std::shared_ptr<Cell> cell_;
};

namespace detail {
template <class T>
struct ChannelCore {
    std::mutex m;
    std::condition_variable cv;
    std::deque<T> queue;
    int senders = 0;
    bool receiver_alive = true;
};
}  // namespace detail

template <class T> class Receiver;

// The sending end. Copies share the channel. A default-constructed Sender
// reaches nobody: send() fails, as it does once the Receiver is gone.
template <class T>
class Sender {
public:
    Sender() = default;
    explicit Sender(std::shared_ptr<detail::ChannelCore<T>> c) : core_(std::move(c)) { attach(); }
    Sender(const Sender& o) : core_(o.core_) { attach(); }
    Sender(Sender&& o) noexcept : core_(std::move(o.core_)) {}
    Sender& operator=(Sender o) { std::swap(core_, o.core_); return *this; }
    ~Sender() { detach(); }

    // False (and the value dropped) when there is no receiver.
    bool send(T value) const {
        if (!core_) return false;
        {
            std::lock_guard<std::mutex> lk(core_->m);
            if (!core_->receiver_alive) return false;
            core_->queue.push_back(std::move(value));
        }
        core_->cv.notify_one();
        return true;
    }
    bool connected() const {
        if (!core_) return false;
        std::lock_guard<std::mutex> lk(core_->m);
        return core_->receiver_alive;
    }

private:
    void attach() {
        if (!core_) return;
        std::lock_guard<std::mutex> lk(core_->m);
        ++core_->senders;
    }
    void detach() {
        if (!core_) return;
        {
            std::lock_guard<std::mutex> lk(core_->m);
            --core_->senders;
        }
        core_->cv.notify_all();
        core_.reset();
    }
    std::shared_ptr<detail::ChannelCore<T>> core_;
};

enum class RecvStatus { Value, Timeout, Closed };

template <class T>
class Receiver {
public:
    explicit Receiver(std::shared_ptr<detail::ChannelCore<T>> c) : core_(std::move(c)) {}
    Receiver(Receiver&&) noexcept = default;
    Receiver& operator=(Receiver&&) noexcept = default;
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;
    ~Receiver() {
        if (!core_) return;
        std::lock_guard<std::mutex> lk(core_->m);
        core_->receiver_alive = false;
        core_->queue.clear();
    }

    // Waits up to `timeout` for a value. Closed: no value queued and every
    // Sender is gone, so none can ever arrive.
    RecvStatus recv(T& out, std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lk(core_->m);
        core_->cv.wait_for(lk, timeout, [&] { return !core_->queue.empty() || core_->senders == 0; });
        if (!core_->queue.empty()) {
            out = std::move(core_->queue.front());
            core_->queue.pop_front();
            return RecvStatus::Value;
        }
        return core_->senders == 0 ? RecvStatus::Closed : RecvStatus::Timeout;
    }
    std::optional<T> try_recv() {
        std::lock_guard<std::mutex> lk(core_->m);
        if (core_->queue.empty()) return std::nullopt;
        T v = std::move(core_->queue.front());
        core_->queue.pop_front();
        return v;
    }

private:
    std::shared_ptr<detail::ChannelCore<T>> core_;
};

template <class T>
std::pair<Sender<T>, Receiver<T>> channel() {
    auto core = std::make_shared<detail::ChannelCore<T>>();
    return {Sender<T>(core), Receiver<T>(core)};
}
