/* Stands in for the Internet library in the probe's tests: two of the three functions the probe
   looks for, so a missing name in the middle shows up. */
int InternetGetConnectedState(unsigned* flags, unsigned reserved)
{
    (void)reserved;
    if (flags)
        *flags = 0;
    return 0;
}

unsigned InternetAttemptConnect(unsigned reserved)
{
    (void)reserved;
    return 0;
}
