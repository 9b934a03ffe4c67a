// The catalogue of municipalities and mascots.
#pragma once
void fill_catalogue();
