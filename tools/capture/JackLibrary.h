#pragma once

#include <jack/jack.h>
#include <juce_core/juce_core.h>

// JACK's client library, loaded when first asked for rather than linked, so
// the command runs (and says JACK is missing) on a machine without it.
struct JackLibrary
{
#define SONDERLITH_JACK_FUNCTIONS(X)                                                                                                        \
    X (jack_client_open) X (jack_client_close) X (jack_get_client_name) X (jack_activate) X (jack_deactivate) X (jack_port_register)    \
    X (jack_port_get_buffer) X (jack_port_name) X (jack_port_by_name) X (jack_port_flags) X (jack_port_type) X (jack_connect)            \
    X (jack_disconnect) X (jack_get_ports) X (jack_free) X (jack_get_sample_rate) X (jack_get_buffer_size) X (jack_set_buffer_size)     \
    X (jack_set_process_callback) X (jack_set_xrun_callback) X (jack_on_shutdown) X (jack_last_frame_time) X (jack_set_error_function) \
    X (jack_set_info_function)
#define SONDERLITH_JACK_POINTER(name) decltype (&::name) name = nullptr;
    SONDERLITH_JACK_FUNCTIONS (SONDERLITH_JACK_POINTER)
#undef SONDERLITH_JACK_POINTER

    // The library, or null with why not.
    static const JackLibrary* load (juce::String& error);
};
