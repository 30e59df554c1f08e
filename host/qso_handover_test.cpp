#include "host/qso_handover.h"

#include <gtest/gtest.h>

namespace zelta {
namespace {

LogQso Qso(const std::string& call, int minute, std::size_t line, std::uint32_t hz = 14025000u) {
  LogQso qso;
  qso.position = {line * 100, line};
  qso.call = call;
  qso.ownCall = "Q1ABC";
  qso.time.year = 2026;
  qso.time.month = 12;
  qso.time.day = 6;
  qso.time.hour = 9;
  qso.time.minute = minute;
  qso.freqHz = hz;
  qso.mode = "CW";
  qso.band = "20";
  qso.rstSent = qso.rstRcvd = "599";
  qso.sentNumber = std::string(200, '1');  // longer than one length byte
  qso.rcvdNumber = "017";
  return qso;
}

TEST(QsoHandover, KeepsEveryValueAndHandsOverInStableTimeOrder) {
  QsoHandover qsos;
  for (const LogQso& qso : {Qso("Q2A", 30, 1), Qso("Q2B", 10, 2), Qso("Q2C", 30, 3),
                            Qso("Q2D", 10, 4, 14025999u), Qso("Q2B", 10, 5, 14025400u)}) {
    qsos.Add(qso);
  }
  const auto outOfOrder = qsos.SortByTime();
  ASSERT_TRUE(outOfOrder);
  EXPECT_EQ(*outOfOrder, (std::pair<std::size_t, std::size_t>{1, 2}));
  std::string order;
  for (std::size_t i = 0; i < qsos.Size(); ++i) order += qsos.At(i).call + " ";
  EXPECT_EQ(order, "Q2B Q2D Q2B Q2A Q2C ");
  const LogQso back = qsos.At(1);
  const LogQso original = Qso("Q2D", 10, 4, 14025999u);
  EXPECT_EQ(back.ownCall + back.call + back.mode + back.band + back.rstSent + back.rstRcvd +
                back.sentNumber + back.rcvdNumber,
            original.ownCall + original.call + original.mode + original.band + original.rstSent +
                original.rstRcvd + original.sentNumber + original.rcvdNumber);
  EXPECT_EQ(back.freqHz, 14025999u);
  EXPECT_EQ(back.position.line * 1000 + back.position.offset, 4400u);
  EXPECT_EQ(back.time.hour * 100 + back.time.minute, 910);
  // The plug-in keeps kilohertz: 14025.4 kHz repeats 14025.0 kHz.
  EXPECT_TRUE(qsos.SameForPlugin(0, 2));
  EXPECT_FALSE(qsos.SameForPlugin(0, 1));
  EXPECT_FALSE(qsos.SameForPlugin(3, 4));
  EXPECT_FALSE(qsos.SortByTime());  // in order now
}

}  // namespace
}  // namespace zelta
