// The program's addresses on the web, in one place for the resource script and the code.
#pragma once

#define TARNWICK_HOMEPAGE_URL "https://tarnwick.example.com/"
#define TARNWICK_SUPPORT_EMAIL "support@tarnwick.example.com"
