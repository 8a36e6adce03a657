#pragma once

// A signed-in client against an in-process local service, for the community screens. Paths a
// test does not script reach the service's real community routes and their seeded data.

#include "opsfixture.h"

namespace vexa::test {

using CommunityFixture = OpsFixture;

} // namespace vexa::test
