/* A software device in a JACK graph: its input to its output a whole number
 * of samples late and, with STALL_MS, stalling in its process callback for
 * that long once a second (longer than a period: the dropout a capture must
 * notice and report).
 * usage: sonderlith_jack_test_device NAME DELAY_SAMPLES STALL_MS (the server from JACK_DEFAULT_SERVER) */
#include <jack/jack.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static jack_port_t *input, *output;
static jack_nframes_t rate, sinceStall;
static float *line;
static size_t lineLength, position;
static long stallMs;

static int process (jack_nframes_t frames, void *arg)
{
    (void) arg;
    const float *in = jack_port_get_buffer (input, frames);
    float *out = jack_port_get_buffer (output, frames);
    for (jack_nframes_t i = 0; i < frames; ++i)
    {
        line[position] = in[i];
        position = (position + 1) % lineLength;
        out[i] = line[position]; /* written lineLength - 1 samples ago */
    }
    sinceStall += frames;
    if (stallMs > 0 && sinceStall >= rate)
    {
        sinceStall = 0;
        struct timespec pause = { stallMs / 1000, (stallMs % 1000) * 1000000L };
        nanosleep (&pause, NULL);
    }
    return 0;
}

int main (int argc, char **argv)
{
    if (argc != 4)
    {
        fprintf (stderr, "usage: %s NAME DELAY_SAMPLES STALL_MS\n", argv[0]);
        return 2;
    }
    lineLength = (size_t) atol (argv[2]) + 1;
    stallMs = atol (argv[3]);
    line = calloc (lineLength, sizeof (float));
    jack_client_t *client = jack_client_open (argv[1], JackNoStartServer, NULL);
    if (client == NULL || line == NULL)
    {
        fprintf (stderr, "no JACK server\n");
        return 1;
    }
    rate = jack_get_sample_rate (client);
    input = jack_port_register (client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    output = jack_port_register (client, "out", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    jack_set_process_callback (client, process, NULL);
    if (jack_activate (client) != 0)
        return 1;
    for (;;)
        pause();
}
