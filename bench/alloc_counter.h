// Counts every heap allocation made through operator new, so benchmarks can show none per call.
#pragma once
long heapAllocations();
