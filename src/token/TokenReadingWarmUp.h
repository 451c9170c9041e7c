// Reads once what the first listing of the readers reads (the reader names and each token's
// record), for its side effect: the token store keeps its connections open per thread, so the
// listing that follows on the same thread finds them open and its schemas read.
#pragma once

namespace SVKCERT {

void WarmUpTokenReading();

}  // namespace SVKCERT
