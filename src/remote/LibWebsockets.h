#pragma once

// The system's libwebsockets, opened when a web remote first starts rather than when the program
// does: a console whose web remote stays off never maps it, nor the TLS libraries it brings in
// (about a tenth of an idle console's memory).
//
// Threads: any. The library is opened once and stays open for the program's life.

#include <juce_core/juce_core.h>

#include <libwebsockets.h>

namespace arx
{

#define ARX_LWS_FUNCTIONS(X)                                  \
    X (setLogLevel, lws_set_log_level)                        \
    X (createContext, lws_create_context)                     \
    X (contextDestroy, lws_context_destroy)                   \
    X (contextUser, lws_context_user)                         \
    X (cancelService, lws_cancel_service)                     \
    X (service, lws_service)                                  \
    X (adoptSocketReadbuf, lws_adopt_socket_readbuf)          \
    X (getContext, lws_get_context)                           \
    X (getSocketFd, lws_get_socket_fd)                        \
    X (getPeerSimple, lws_get_peer_simple)                    \
    X (hdrTotalLength, lws_hdr_total_length)                  \
    X (hdrCopy, lws_hdr_copy)                                 \
    X (getUrlargByName, lws_get_urlarg_by_name)               \
    X (callbackHttpDummy, lws_callback_http_dummy)            \
    X (callbackOnWritable, lws_callback_on_writable)          \
    X (write, lws_write)                                      \
    X (returnHttpStatus, lws_return_http_status)              \
    X (addHttpCommonHeaders, lws_add_http_common_headers)     \
    X (addHttpHeaderByName, lws_add_http_header_by_name)      \
    X (finalizeWriteHttpHeader, lws_finalize_write_http_header) \
    X (frameIsBinary, lws_frame_is_binary)                    \
    X (closeReason, lws_close_reason)                         \
    X (remainingPacketPayload, lws_remaining_packet_payload)  \
    X (isFinalFragment, lws_is_final_fragment)

struct LibWebsockets
{
    // The functions, or nullptr with the reason in `error` when the library or one of them is
    // missing. Only the first call opens the library.
    static const LibWebsockets* open (juce::String& error);
    // After open() has succeeded.
    static const LibWebsockets& get();

#define ARX_LWS_MEMBER(member, function) decltype (&::function) member = nullptr;
    ARX_LWS_FUNCTIONS (ARX_LWS_MEMBER)
#undef ARX_LWS_MEMBER
};

} // namespace arx
