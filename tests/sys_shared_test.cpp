#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "sys_shared.h"

TEST(SharedState, PoisonedAfterAnExceptionEscapesTheLock) {
    Shared<int> s(5);
    EXPECT_TRUE(s.with([](int& v) { v = 6; }));
    EXPECT_THROW(s.with([](int& v) {
        v = 7;
        throw std::runtime_error("half written");
    }),
                 std::runtime_error);
    EXPECT_TRUE(s.poisoned());
    EXPECT_FALSE(s.lock().has_value());
    EXPECT_FALSE(s.snapshot().has_value());
    bool ran = false;
    EXPECT_FALSE(s.with([&](int&) { ran = true; }));
    EXPECT_FALSE(ran);
}

TEST(SharedState, CopiesShareOneValue) {
    Shared<std::string> a("x");
    Shared<std::string> b = a;
    a.with([](std::string& v) { v = "güncel"; });
    EXPECT_EQ(b.snapshot().value(), "güncel");
    EXPECT_TRUE(a.same(b));
}

TEST(Channel, SendFailsOnceTheReceiverIsGone) {
    auto [tx, rx] = channel<int>();
    EXPECT_TRUE(tx.send(1));
    {
        auto dropped = std::move(rx);
    }
    EXPECT_FALSE(tx.send(2));
    EXPECT_FALSE(tx.connected());
    Sender<int> nobody;
    EXPECT_FALSE(nobody.send(3));
}

TEST(Channel, ReceiveTimesOutThenReportsClosedWhenSendersAreGone) {
    auto [tx, rx] = channel<int>();
    int v = 0;
    EXPECT_EQ(rx.recv(v, std::chrono::milliseconds(5)), RecvStatus::Timeout);
    tx.send(42);
    EXPECT_EQ(rx.recv(v, std::chrono::milliseconds(5)), RecvStatus::Value);
    EXPECT_EQ(v, 42);
    tx.send(43);
    { auto gone = std::move(tx); }
    EXPECT_EQ(rx.recv(v, std::chrono::milliseconds(5)), RecvStatus::Value) << "queued values still arrive";
    EXPECT_EQ(rx.recv(v, std::chrono::seconds(5)), RecvStatus::Closed);
}

TEST(Channel, WakesABlockedReceiverFromAnotherThread) {
    auto [tx, rx] = channel<std::string>();
    std::thread t([tx = tx]() mutable { tx.send("merhaba"); });
    std::string got;
    EXPECT_EQ(rx.recv(got, std::chrono::seconds(10)), RecvStatus::Value);
    EXPECT_EQ(got, "merhaba");
    t.join();
}
