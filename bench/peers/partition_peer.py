#!/usr/bin/env python3
"""Times the peers of the partition benchmark on one core: NumPy's covariance
and symmetric eigen decomposition with ten scores, and scikit-learn's k-means
from one start.

Usage: partition_peer.py DATA N P K
DATA holds N x P doubles (little-endian, row after row, one locus a row).
Prints the PCA seconds and the k-means seconds on one line, best of three;
"-" for a peer that is not installed.
"""
import os
import sys

for var in ("OMP_NUM_THREADS", "OPENBLAS_NUM_THREADS", "MKL_NUM_THREADS"):
    os.environ[var] = "1"

import time  # noqa: E402

import numpy  # noqa: E402


def best_of_three(work):
    best = None
    for _ in range(3):
        start = time.perf_counter()
        work()
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    return best


def pca(data):
    standard = (data - data.mean(axis=0)) / data.std(axis=0, ddof=1)
    values, vectors = numpy.linalg.eigh(numpy.cov(standard, rowvar=False))
    order = numpy.argsort(values)[::-1][:10]
    return standard @ vectors[:, order]


def main():
    path, n, p, k = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
    data = numpy.fromfile(path, dtype="<f8").reshape(n, p)
    pca_seconds = f"{best_of_three(lambda: pca(data)):.4f}"
    try:
        from sklearn.cluster import KMeans
    except ImportError:
        kmeans_seconds = "-"
    else:
        def kmeans():
            KMeans(n_clusters=k, n_init=1, init="random", random_state=1).fit(data)
        kmeans_seconds = f"{best_of_three(kmeans):.4f}"
    print(pca_seconds, kmeans_seconds)


if __name__ == "__main__":
    main()
