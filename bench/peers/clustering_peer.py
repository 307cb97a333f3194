#!/usr/bin/env python3
"""Times the peer of the clustering benchmark on one core: SciPy's pdist and
fastcluster's average linkage on the same data.

Usage: clustering_peer.py DATA N P MEASURE
DATA holds N x P doubles (little-endian, row after row, one locus a row);
MEASURE is "euclidean" or "correlation" (1 - Pearson). Prints the distance
seconds and the tree seconds on one line.
"""
import os
import sys

for var in ("OMP_NUM_THREADS", "OPENBLAS_NUM_THREADS", "MKL_NUM_THREADS"):
    os.environ[var] = "1"

import time  # noqa: E402

import numpy  # noqa: E402
import fastcluster  # noqa: E402
from scipy.spatial.distance import pdist  # noqa: E402


def main():
    path, n, p, measure = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    data = numpy.fromfile(path, dtype="<f8").reshape(n, p)
    start = time.perf_counter()
    d = pdist(data, metric=measure)
    middle = time.perf_counter()
    fastcluster.linkage(d, method="average", preserve_input=False)
    end = time.perf_counter()
    print(f"{middle - start:.4f} {end - middle:.4f}")


if __name__ == "__main__":
    main()
