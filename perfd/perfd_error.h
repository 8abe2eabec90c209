#pragma once
// The service's failures: a bad option, an address it cannot listen on, a
// resource it cannot set up. Each ends the service with its message.

#include <stdexcept>

class PerfdError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
