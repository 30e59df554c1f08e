#include "host/qso_handover.h"

#include <gtest/gtest.h>

#include <tuple>

namespace zelta {
namespace {

logs::LogQso Qso(const std::string& call, int minute, std::size_t line, std::uint32_t hz = 14025000u) {
  // The sent number is longer than one length byte.
  return {{line * 100, line}, "Q1ABC", call, {2026, 12, 6, 9, minute}, hz, "CW", "599", "579",
          std::string(200, '1'), "017", "20"};
}

TEST(QsoHandover, KeepsEveryValueAndHandsOverInStableTimeOrder) {
  QsoHandover qsos;
  for (const logs::LogQso& qso : {Qso("Q2A", 30, 1), Qso("Q2B", 10, 2), Qso("Q2C", 30, 3),
                            Qso("Q2D", 10, 4, 14025999u), Qso("Q2B", 10, 5, 14025400u)}) {
    qsos.Add(qso);
  }
  EXPECT_EQ(qsos.SortByTime(), (std::pair<std::size_t, std::size_t>{1, 2}));
  std::string order;
  for (std::size_t i = 0; i < qsos.Size(); ++i) order += qsos.At(i).call + " ";
  EXPECT_EQ(order, "Q2B Q2D Q2B Q2A Q2C ");
  auto all = [](const logs::LogQso& q) {
    return std::tie(q.ownCall, q.call, q.mode, q.band, q.rstSent, q.rstRcvd, q.sentNumber,
                    q.rcvdNumber, q.freqHz, q.position.line, q.position.offset, q.time.hour,
                    q.time.minute);
  };
  const logs::LogQso back = qsos.At(1), original = Qso("Q2D", 10, 4, 14025999u);
  EXPECT_EQ(all(back), all(original));
  // The plug-in keeps kilohertz: 14025.4 kHz repeats 14025.0 kHz.
  EXPECT_TRUE(qsos.SameForPlugin(0, 2));
  EXPECT_FALSE(qsos.SameForPlugin(0, 1) || qsos.SameForPlugin(3, 4));
  EXPECT_FALSE(qsos.SortByTime());  // in order now
}

}  // namespace
}  // namespace zelta
