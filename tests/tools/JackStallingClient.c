/* A JACK client that passes its input to its output and, once a second
 * after the first, stalls in its process callback for longer than a
 * period: the dropout a capture must notice and report.
 * usage: sonderlith_jack_stalling_client NAME STALL_MS (the server from JACK_DEFAULT_SERVER) */
#include <jack/jack.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static jack_port_t *input, *output;
static jack_nframes_t rate, sinceStall;
static long stallMs;

static int process (jack_nframes_t frames, void *arg)
{
    (void) arg;
    memcpy (jack_port_get_buffer (output, frames), jack_port_get_buffer (input, frames), frames * sizeof (float));
    sinceStall += frames;
    if (sinceStall >= rate)
    {
        sinceStall = 0;
        struct timespec pause = { stallMs / 1000, (stallMs % 1000) * 1000000L };
        nanosleep (&pause, NULL);
    }
    return 0;
}

int main (int argc, char **argv)
{
    if (argc != 3)
    {
        fprintf (stderr, "usage: %s NAME STALL_MS\n", argv[0]);
        return 2;
    }
    stallMs = atol (argv[2]);
    jack_client_t *client = jack_client_open (argv[1], JackNoStartServer, NULL);
    if (client == NULL)
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
    printf ("ready\n");
    fflush (stdout);
    pause();
    return 0;
}
