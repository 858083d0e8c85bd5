// The parameter lists that the slot table's rows expand to. A row lists only the parameter types
// that go to the host; its shape adds the out-parameters. Parameters are named a1, a2, ... in
// order, the out-parameters error, value and second:
//
//   HOST_PARAMS(Shape, Type, (types))  the method's parenthesised parameter list
//   HOST_ARGS(Shape, (types))          its argument names, for forwarding a call
//   HOST_OUTS(Shape)                   ", error, value" etc.: the out-parameters alone, led by a
//                                      comma (empty for a shape without any)
#pragma once

#define HOST_CAT(a, b) HOST_CAT_I(a, b)
#define HOST_CAT_I(a, b) a##b
#define HOST_NARGS(...) HOST_NARGS_I(__VA_ARGS__ __VA_OPT__(, ) 8, 7, 6, 5, 4, 3, 2, 1, 0)
#define HOST_NARGS_I(_1, _2, _3, _4, _5, _6, _7, _8, N, ...) N
#define HOST_COMMA_IF(...) __VA_OPT__(, )

// "t1 a1, t2 a2, ..." and "a1, a2, ..." for a list of up to eight types.
#define HOST_DECL(...) HOST_CAT(HOST_DECL_, HOST_NARGS(__VA_ARGS__))(__VA_ARGS__)
#define HOST_DECL_0()
#define HOST_DECL_1(t1) t1 a1
#define HOST_DECL_2(t1, t2) t1 a1, t2 a2
#define HOST_DECL_3(t1, t2, t3) t1 a1, t2 a2, t3 a3
#define HOST_DECL_4(t1, t2, t3, t4) t1 a1, t2 a2, t3 a3, t4 a4
#define HOST_DECL_5(t1, t2, t3, t4, t5) t1 a1, t2 a2, t3 a3, t4 a4, t5 a5
#define HOST_DECL_6(t1, t2, t3, t4, t5, t6) t1 a1, t2 a2, t3 a3, t4 a4, t5 a5, t6 a6
#define HOST_DECL_7(t1, t2, t3, t4, t5, t6, t7) t1 a1, t2 a2, t3 a3, t4 a4, t5 a5, t6 a6, t7 a7
#define HOST_DECL_8(t1, t2, t3, t4, t5, t6, t7, t8) \
  t1 a1, t2 a2, t3 a3, t4 a4, t5 a5, t6 a6, t7 a7, t8 a8
#define HOST_NAMES(...) HOST_CAT(HOST_NAMES_, HOST_NARGS(__VA_ARGS__))
#define HOST_NAMES_0
#define HOST_NAMES_1 a1
#define HOST_NAMES_2 a1, a2
#define HOST_NAMES_3 a1, a2, a3
#define HOST_NAMES_4 a1, a2, a3, a4
#define HOST_NAMES_5 a1, a2, a3, a4, a5
#define HOST_NAMES_6 a1, a2, a3, a4, a5, a6
#define HOST_NAMES_7 a1, a2, a3, a4, a5, a6, a7
#define HOST_NAMES_8 a1, a2, a3, a4, a5, a6, a7, a8

// The out-parameters of each family of shapes.
#define HOST_PARAMS_NONE(T, In) (HOST_DECL In)
#define HOST_PARAMS_CODE(T, In) (HOST_DECL In HOST_COMMA_IF In int32_t * error)
#define HOST_PARAMS_VALUE(T, In) (HOST_DECL In HOST_COMMA_IF In T * value)
#define HOST_PARAMS_CODE_VALUE(T, In) (HOST_DECL In HOST_COMMA_IF In int32_t * error, T * value)
#define HOST_PARAMS_CODE_TWO(T, In) \
  (HOST_DECL In HOST_COMMA_IF In int32_t * error, T * value, T * second)
#define HOST_OUTS_NONE
#define HOST_OUTS_CODE , error
#define HOST_OUTS_VALUE , value
#define HOST_OUTS_CODE_VALUE , error, value
#define HOST_OUTS_CODE_TWO , error, value, second

// Each shape's family.
#define HOST_FAMILY_Startup NONE
#define HOST_FAMILY_Plain NONE
#define HOST_FAMILY_Policy NONE
#define HOST_FAMILY_Status CODE
#define HOST_FAMILY_Set CODE
#define HOST_FAMILY_Truth CODE
#define HOST_FAMILY_Convert CODE
#define HOST_FAMILY_Optional CODE
#define HOST_FAMILY_Value VALUE
#define HOST_FAMILY_ValueOrMinus1 VALUE
#define HOST_FAMILY_Pair VALUE
#define HOST_FAMILY_Get CODE_VALUE
#define HOST_FAMILY_ConvertResult CODE_VALUE
#define HOST_FAMILY_Kept CODE_VALUE
#define HOST_FAMILY_Two CODE_TWO

#define HOST_PARAMS(Shape, T, In) HOST_CAT(HOST_PARAMS_, HOST_FAMILY_##Shape)(T, In)
#define HOST_OUTS(Shape) HOST_CAT(HOST_OUTS_, HOST_FAMILY_##Shape)
// Every row passes at least one parameter, so the out-parameters always follow a name.
#define HOST_ARGS(Shape, In) HOST_NAMES In HOST_OUTS(Shape)
