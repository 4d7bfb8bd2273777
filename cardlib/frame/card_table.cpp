#include "card_table.h"

namespace ktr4 {

CardTable& card_table()
{
    static CardTable table;
    return table;
}

void reset_axis_tables()
{
    for (uint8_t card = 0; card < kCardCount; ++card) {
        for (uint8_t axis = 0; axis < kAxesPerCard; ++axis) {
            AxisState fresh;
            fresh.pulser.follow_source = axis;
            fresh.pulser.follower = axis_state(card, axis).pulser.follower;
            axis_state(card, axis) = fresh;
        }
    }
}

}  // namespace ktr4
