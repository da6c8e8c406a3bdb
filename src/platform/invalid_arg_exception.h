// The exception that the framework's containers and strings raise for a bad index.
#pragma once

#include <stdexcept>

class CInvalidArgException : public std::out_of_range {
public:
    CInvalidArgException() : std::out_of_range("invalid argument: index out of range") {}
};
