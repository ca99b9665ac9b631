#pragma once
// The golfer's swing as key poses at chosen frames and smooth curves through them: frame 0
// address, 1-7 takeaway, 8-9 the club foreshortened in front of the legs, 10-16 backswing with
// the club head highest and farthest left at 12-14, 17-23 the club over and behind the head,
// 24 the top, 25-31 downswing, 32 impact, 33-35 after impact, 36 the club hidden by the body,
// 37-40 follow-through with the head at the top edge in 39, 41-43 the club wrapping behind the
// shoulders, 44 finish.

#include "GolferPose.h"

namespace shapes::tooling {

GolferPose golferPose(int frame);  // frame 0..44

}  // namespace shapes::tooling
