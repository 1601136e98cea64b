// Least-squares fit of a polynomial of degree 1 to 4 to point pairs by the downhill simplex
// method.
#pragma once

#include "platform/WinTypes.h"

#include <cstddef>

// Coefficients of a model type: 0, 4, 5, 6 -> 2; 1 -> 3; 2 -> 4; 3 -> 5; other types 0.
int FitTermCount(int modelType);
// a0 + a1 x + ... with the model's number of coefficients (a straight line for 0, 4, 5 and 6).
double EvaluatePolynomial(int modelType, const double* coefficients, double x);
// Sum of squared residuals of the model over the points.
double FitResidualSum(int modelType, const double* coefficients, const double* x, const double* y, int count);

// Zero-filled working memory of the fit; throws std::bad_alloc when memory is short.
void* FitAlloc(size_t bytes);
void FitFree(void* block);

// Fits y ~ a0 + a1 x + a2 x^2 + a3 x^3 + a4 x^4 (as many coefficients as the model has;
// the others are 0) and writes the five coefficients. Returns 1, or 0 for an unknown model
// type or no points.
int FitPolynomial(int modelType, const double* x, const double* y, int count, double coefficients[5]);
