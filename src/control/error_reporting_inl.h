#pragma once
#include <exception>

#include "platform/codepage.h"

namespace quorvex6 {

template <class Body, class Result>
Result RunTrapped(Body&& body, Result trapped) {
    try {
        return body();
    } catch (const TrappedFailure& failure) {
        HandleTrappedFailure(failure.description());
    } catch (const std::exception& failure) {
        HandleTrappedFailure(platform::FromSystem(failure.what()));
    }
    return trapped;
}

}  // namespace quorvex6
