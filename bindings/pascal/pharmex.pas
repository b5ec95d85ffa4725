{ pharmex: the library's entry points for a host written in Pascal (Free
  Pascal in Delphi or objfpc mode, Delphi).

  Add the unit to the uses clause, implement IDataSet and IField on the
  host's objects (a TInterfacedObject per dataset and per column does) and
  call the entry points with those interface references:

    uses SysUtils, pharmex;
    ...
    try
      price_export_to_file(TPriceRows.Create(Prices), 'C:\out\price.dbf');
    except
      on E: EPharmexError do ShowMessage(E.Message);
    end;

  The library itself (pharmex.dll, libpharmex.so) speaks C: its interface
  tables are COM-style tables of stdcall procedures in which an operation
  returning an interface or a variant receives the address of the result
  ahead of the object, its values are the 16-byte OLE variant, and its
  failures are recorded, and on Windows raised as a structured exception
  that a Pascal except block sees as EExternalException. This unit stands
  between the two.
  For every dataset it hands the library an adapter: tables of plain
  procedures in the library's argument order that call the host's methods,
  because compilers place a method's hidden result differently (Free Pascal
  puts it after Self on every target, and for 64-bit targets no compiler
  documents where it goes). The adapter keeps the host's exceptions out of
  the library: a host method that raises ends the run with the exception's
  message (clean-up, finish callback, the dialog's error box) through
  pharmex_report_host_failure. Where the library's variant is not the
  compiler's (everywhere but Windows, where both are OLE's VARIANT) it also
  converts values, making the library's strings with the library's
  allocator. The dialog-less entry points raise EPharmexError with the
  library's message when the run failed: the unit turns the library's own
  raising off when it is loaded (pharmex_set_failure_mode) and raises
  EPharmexError itself, alike on every platform.

  Text: paths and the dialog's answers are given as string and reach the
  library in its ANSI code page (the system's on Windows, Windows-1251
  elsewhere); messages come back as string. On Linux the unit uses
  cwstring, Free Pascal's conversions through the C library, without which
  no text but ASCII converts.

  The callbacks are the host's own procedures, called by the library
  directly. On Windows an exception one raises ends the run at that call
  with the exception's message (the library stops it there, the callback's
  finally blocks run); elsewhere they must not raise: Free Pascal's
  exceptions there unwind in a way the library cannot stop.

  Threads: call everything on the host's user-interface thread. }
unit pharmex;

{$IFDEF FPC}
  {$MODE DELPHI}
  {$H+}
  {$PACKSET 1}
{$ENDIF}
{$Z1}

interface

uses
  {$IF defined(FPC) and defined(UNIX)} cwstring, {$IFEND}
  SysUtils, Variants;

const
  {$IFDEF MSWINDOWS}
  PharmexLibrary = 'pharmex.dll';
  {$ELSE}
  {$IFDEF FPC}
  PharmexLibrary = 'pharmex'; { linked as -lpharmex: libpharmex.so }
  {$ELSE}
  PharmexLibrary = 'libpharmex.so';
  {$ENDIF}
  {$ENDIF}

  { How a failure the library passes on reaches the host
    (pharmex_set_failure_mode); the exception code of a raised one, whose
    ExceptionInformation[0] is the message as UTF-8, [1] in the ANSI code
    page. }
  PX_FAILURE_RECORD = 0;
  PX_FAILURE_RAISE = 1;
  PX_FAILURE_EXCEPTION = $E0504D58;

type
  { The host's main window handle (HWND on Windows); 0 means none. The
    library only hands it back to the callbacks and the dialog. }
  TPxWindow = NativeUInt;

  { Column types reported by IField.DataType, one byte, ordinals as in the
    database units (a host using DB's TField passes
    pharmex.TFieldType(Ord(Field.DataType))). }
  TFieldType = (ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean,
    ftFloat, ftCurrency, ftBCD, ftDate, ftTime, ftDateTime, ftBytes,
    ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo, ftParadoxOle,
    ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint,
    ftADT, ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant,
    ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd, ftFixedWideChar,
    ftWideMemo, ftOraTimeStamp, ftOraInterval);

  TLocateOption = (loCaseInsensitive, loPartialKey);
  { One byte; the library always passes the empty set. }
  TLocateOptions = set of TLocateOption;

  IField = interface(IUnknown)
    ['{9ADAEC93-39A7-4420-AF3C-C7F538143D1C}']
    { The column's name, owned by the field (a WideString member of it, say);
      the library copies it at once. }
    function Name: PWideChar; stdcall;
    function DataType: TFieldType; stdcall;
    { Declared width of a string column, in characters. }
    function Size: Integer; stdcall;
    { The value in the current row; Null when there is none. }
    function Value: OleVariant; stdcall;
    { Stores a value into the current row while it is appended or edited. }
    procedure SetValue(Value: OleVariant); stdcall;
  end;

  IDataSet = interface(IUnknown)
    ['{D7CB1915-F739-45E4-9CCB-63E96E7C5944}']
    { Columns are indexed from 0 in the host's order. }
    function FieldCount: Integer; stdcall;
    function GetField(Index: Integer): IField; stdcall;
    { nil when there is no such column; nothing fails. }
    function FieldByName(Name: PWideChar): IField; stdcall;
    procedure First; stdcall;
    procedure Reserved1; stdcall; { never called }
    procedure Next; stdcall;
    procedure Reserved2; stdcall; { never called }
    procedure Reserved3; stdcall; { never called }
    { True past the last row, and right after First on an empty dataset. }
    function Eof: Boolean; stdcall;
    { KeyFields: column names separated by ';'; KeyValues: one value, or a
      variant array with one element per column. True when a row with
      exactly those values exists; the cursor then stands on it. }
    function Locate(KeyFields: PWideChar; const KeyValues: OleVariant;
      Options: TLocateOptions): Boolean; stdcall;
    procedure Append; stdcall;
    procedure Edit; stdcall;
    procedure Post; stdcall;
    procedure Reserved4; stdcall; { never called }
    { Rows the cursor will visit; read once, before the first row. }
    function RecordCount: Integer; stdcall;
  end;

  { Callbacks; each may be nil. Window is the one given to the entry point,
    or 0 where the entry point shows no dialog. }
  TPxProgressProc = procedure(Window: TPxWindow; Percent: Integer); stdcall;
  TPxNotifyProc = procedure(Window: TPxWindow); stdcall;

  { A run the library refused: Message is the library's. }
  EPharmexError = class(Exception);

  { The library's own variant, for the pharmex_string_*, pharmex_variant_*
    and pharmex_array_* functions below (a host using the interfaces above
    needs none of them). The size of the platform's OLE VARIANT. }
  PPxVariant = ^TPxVariant;
  TPxVariant = record
    VType: Word;
    Reserved1, Reserved2, Reserved3: Word;
    case Integer of
      0: (VSmallInt: SmallInt);
      1: (VInteger: LongInt);
      2: (VInt64: Int64);
      3: (VDouble: Double);
      4: (VOleStr: PWideChar);
      5: (VArray: Pointer);
      {$IFDEF WIN64}
      6: (VRecord: array[0..1] of Pointer);
      {$ENDIF}
  end;

{ Dialog entry points: show the library's file dialog and return at once;
  confirming it runs the export or import (callbacks), cancelling runs
  nothing. EPharmexError when the dialog could not be prepared. }
procedure supplier_export(Window: TPxWindow; const Suppliers: IDataSet;
  Progress: TPxProgressProc; Start, Finish: TPxNotifyProc);
procedure price_export(Window: TPxWindow; const Prices: IDataSet;
  Progress: TPxProgressProc; Start, Finish: TPxNotifyProc);
procedure order_export(Window: TPxWindow; const Headers, Lines: IDataSet;
  Progress: TPxProgressProc; Start, Finish: TPxNotifyProc);
procedure waybill_export(Window: TPxWindow; const Headers, Lines: IDataSet;
  Progress: TPxProgressProc; Start, Finish: TPxNotifyProc);
procedure order_import(Window: TPxWindow; const Prices, Second, Lines: IDataSet;
  Progress: TPxProgressProc; Start, Finish: TPxNotifyProc);

{ Dialog-less entry points: run one export or import and return when it is
  done; EPharmexError when it failed. Folder ends with its separator; FileType
  is the waybill layout 0..5. }
procedure price_export_to_file(const Prices: IDataSet; const Path: string);
procedure waybill_export_ToPath(Window: TPxWindow; const Headers, Lines: IDataSet;
  Progress: TPxProgressProc; Start, Finish: TPxNotifyProc; const Folder: string;
  FileType: Integer);
procedure order_import_from_file(const Prices, Second, Lines: IDataSet;
  const Path: string);

{ The message of the last failure passed on to the host on this thread; ''
  after a successful call. }
function pharmex_last_error: string;
{ "major.minor.patch" }
function pharmex_version: string;
{ Decimal separator and short date pattern used when values become text;
  '' keeps the current one. 0, or -1 when a value is not acceptable. }
function pharmex_set_regional_settings(const DecimalSeparator,
  ShortDatePattern: string): Integer;
{ Answers the dialog shown last as a user would: file type (-1 keeps it),
  path, Enter. 0 ran and closed, 1 the run failed (pharmex_last_error), 2 the
  name was refused, -1 no dialog. }
function pharmex_dialog_answer(const Path: string; FileType: Integer): Integer;
{ Esc: 0, or -1 when no dialog is open. }
function pharmex_dialog_cancel: Integer;
{ What a host method calls instead of raising when it cannot raise; the
  unit's adapter calls it for every exception a host method raises. }
procedure pharmex_report_host_failure(const Message: string);
{ PX_FAILURE_RECORD (the unit's choice: failures come back as EPharmexError)
  or PX_FAILURE_RAISE (Windows only: the library raises PX_FAILURE_EXCEPTION
  itself); the previous mode, or -1 when refused. }
function pharmex_set_failure_mode(Mode: LongInt): LongInt; stdcall;
  external PharmexLibrary name 'pharmex_set_failure_mode';

function pharmex_string_alloc(Text: PWideChar; Length: LongWord): PWideChar; stdcall;
  external PharmexLibrary name 'pharmex_string_alloc';
procedure pharmex_string_free(Text: PWideChar); stdcall;
  external PharmexLibrary name 'pharmex_string_free';
function pharmex_string_length(Text: PWideChar): LongWord; stdcall;
  external PharmexLibrary name 'pharmex_string_length';
procedure pharmex_variant_init(Value: PPxVariant); stdcall;
  external PharmexLibrary name 'pharmex_variant_init';
procedure pharmex_variant_clear(Value: PPxVariant); stdcall;
  external PharmexLibrary name 'pharmex_variant_clear';
function pharmex_variant_copy(Target, Source: PPxVariant): LongInt; stdcall;
  external PharmexLibrary name 'pharmex_variant_copy';
function pharmex_array_create(Count: LongWord): Pointer; stdcall;
  external PharmexLibrary name 'pharmex_array_create';
function pharmex_array_count(AArray: Pointer): LongWord; stdcall;
  external PharmexLibrary name 'pharmex_array_count';
function pharmex_array_item(AArray: Pointer; Index: LongWord): PPxVariant; stdcall;
  external PharmexLibrary name 'pharmex_array_item';

implementation

{$IFDEF MSWINDOWS}
uses
  Windows;
{$ENDIF}

const
  PX_VT_BSTR = 8;
  PX_VT_ARRAY_VARIANT = $200C;
  E_NOINTERFACE = LongInt($80004002);

type
  { Text as the library takes it: 8-bit in its ANSI code page. }
  {$IFDEF MSWINDOWS}
  TLibraryText = AnsiString;
  {$ELSE}
  TLibraryText = type AnsiString(1251);
  {$ENDIF}

{ ---- the library's exports, as C declares them }

procedure lib_supplier_export(Window: TPxWindow; Suppliers: Pointer; Progress: TPxProgressProc;
  Start, Finish: TPxNotifyProc); stdcall; external PharmexLibrary name 'supplier_export';
procedure lib_price_export(Window: TPxWindow; Prices: Pointer; Progress: TPxProgressProc;
  Start, Finish: TPxNotifyProc); stdcall; external PharmexLibrary name 'price_export';
procedure lib_price_export_to_file(Prices: Pointer; Path: PAnsiChar); stdcall;
  external PharmexLibrary name 'price_export_to_file';
procedure lib_order_export(Window: TPxWindow; Headers, Lines: Pointer; Progress: TPxProgressProc;
  Start, Finish: TPxNotifyProc); stdcall; external PharmexLibrary name 'order_export';
procedure lib_waybill_export(Window: TPxWindow; Headers, Lines: Pointer; Progress: TPxProgressProc;
  Start, Finish: TPxNotifyProc); stdcall; external PharmexLibrary name 'waybill_export';
procedure lib_waybill_export_ToPath(Window: TPxWindow; Headers, Lines: Pointer;
  Progress: TPxProgressProc; Start, Finish: TPxNotifyProc; Folder: PAnsiChar; FileType: LongInt);
  stdcall; external PharmexLibrary name 'waybill_export_ToPath';
procedure lib_order_import(Window: TPxWindow; Prices, Second, Lines: Pointer;
  Progress: TPxProgressProc; Start, Finish: TPxNotifyProc); stdcall;
  external PharmexLibrary name 'order_import';
procedure lib_order_import_from_file(Prices, Second, Lines: Pointer; Path: PAnsiChar); stdcall;
  external PharmexLibrary name 'order_import_from_file';
function lib_last_error: PAnsiChar; stdcall; external PharmexLibrary name 'pharmex_last_error';
function lib_version: PAnsiChar; stdcall; external PharmexLibrary name 'pharmex_version';
function lib_set_regional_settings(DecimalSeparator, ShortDatePattern: PAnsiChar): LongInt;
  stdcall; external PharmexLibrary name 'pharmex_set_regional_settings';
function lib_dialog_answer(Path: PAnsiChar; FileType: LongInt): LongInt; stdcall;
  external PharmexLibrary name 'pharmex_dialog_answer';
function lib_dialog_cancel: LongInt; stdcall; external PharmexLibrary name 'pharmex_dialog_cancel';
procedure lib_report_host_failure(Message: PAnsiChar); stdcall;
  external PharmexLibrary name 'pharmex_report_host_failure';

{ ---- text }

function FromUtf8(Text: PAnsiChar): string;
var
  Bytes: RawByteString;
begin
  Result := '';
  if (Text = nil) or (Text^ = #0) then
    Exit;
  SetString(Bytes, Text, StrLen(Text));
  Result := string(UTF8Decode(Bytes));
end;

function ToUtf8(const Text: string): UTF8String;
begin
  Result := UTF8Encode(UnicodeString(Text));
end;

function LibraryText(const Text: string): TLibraryText;
begin
  Result := TLibraryText(UnicodeString(Text)); { converted to the library's code page }
end;

{ An empty text as nil: "keep the current value". }
function OptionalText(const Text: RawByteString): PAnsiChar;
begin
  if Text = '' then
    Result := nil
  else
    Result := PAnsiChar(Text);
end;

{ Raises the failure the library recorded for the call just made. }
procedure CheckLastError;
var
  Message: PAnsiChar;
begin
  Message := lib_last_error;
  if (Message <> nil) and (Message^ <> #0) then
    raise EPharmexError.Create(FromUtf8(Message));
end;

{ Inside an except block: the exception ends the run the library is making. }
procedure ReportHostException;
var
  Message: UTF8String;
begin
  Message := '';
  if ExceptObject is Exception then
    Message := ToUtf8(Exception(ExceptObject).Message);
  lib_report_host_failure(PAnsiChar(Message));
end;

{ ---- values: what the host hands the library becomes the library's, what
  the library hands the host stays the library's }

{$IFDEF MSWINDOWS}
function VariantCopy(Target, Source: Pointer): HRESULT; stdcall;
  external 'oleaut32.dll' name 'VariantCopy';

{ The compiler's variant is the system's: a value crosses as it is, except
  the compiler's own strings (varString, varUString), which the library reads
  but cannot free: they cross as BSTRs. Value is empty afterwards. }
procedure ToLibrary(var Value: OleVariant; var Target: TPxVariant);
begin
  case TVarData(Value).VType of
    varString, varUString:
      Value := WideString(Value);
  end;
  Move(TVarData(Value), Target, SizeOf(Target));
  FillChar(TVarData(Value), SizeOf(TVarData), 0);
end;

procedure FromLibrary(const Source: TPxVariant; var Target: OleVariant);
begin
  VarClear(Target);
  if Failed(VariantCopy(@TVarData(Target), @Source)) then
    OutOfMemoryError;
end;
{$ELSE}
{ The library's variant is its own: 16 bytes in OLE's layout, with strings
  and arrays of the library's allocator. Numbers, dates and Booleans have
  one layout; strings and arrays are made again. }

function LibraryString(const Text: UnicodeString): PWideChar;
begin
  Result := pharmex_string_alloc(PWideChar(Text), Length(Text));
  if Result = nil then
    OutOfMemoryError;
end;

{ The bytes a referenced value of a type takes; 0 for a type without one. }
function ReferencedSize(VType: Word): Integer;
begin
  if (VType and varArray) <> 0 then
    Result := SizeOf(Pointer)
  else
    case VType of
      varShortInt, varByte: Result := 1;
      varSmallInt, varWord, varBoolean: Result := 2;
      varInteger, varLongWord, varSingle, varError: Result := 4;
      varInt64, varQWord, varDouble, varDate, varCurrency: Result := 8;
      varOleStr, varString, varUString, varDispatch, varUnknown: Result := SizeOf(Pointer);
    else
      Result := 0;
    end;
end;

{ The value a reference (varByRef) points to, as a variant that owns nothing. }
function Dereferenced(const Value: TVarData): TVarData;
var
  Base: Word;
begin
  Result := Value;
  if ((Value.VType and varByRef) = 0) or (Value.VPointer = nil) then
    Exit;
  Base := Value.VType and not varByRef;
  if Base = varVariant then
    Result := Dereferenced(PVarData(Value.VPointer)^)
  else if Base = varDecimal then
  begin
    Move(Value.VPointer^, Result, 16); { a decimal fills the variant }
    Result.VType := varDecimal;
  end
  else if ReferencedSize(Base) > 0 then
  begin
    Result.VType := Base;
    Result.VInt64 := 0;
    Move(Value.VPointer^, Result.VInt64, ReferencedSize(Base));
  end;
end;

procedure ToLibraryView(const Value: TVarData; var Target: TPxVariant); forward;

procedure ArrayToLibrary(const Value: TVarData; var Target: TPxVariant);
var
  Items: Variant;
  Low, Count, I: Integer;
  Item: Variant;
begin
  TVarData(Items) := Value; { borrowed for reading: given back below }
  try
    if VarArrayDimCount(Items) <> 1 then
      raise EVariantError.Create('A key of several dimensions cannot be handed over');
    Low := VarArrayLowBound(Items, 1);
    Count := VarArrayHighBound(Items, 1) - Low + 1;
    Target.VArray := pharmex_array_create(Count);
    if Target.VArray = nil then
      OutOfMemoryError;
    Target.VType := PX_VT_ARRAY_VARIANT; { the library's from here: clearing frees it }
    for I := 0 to Count - 1 do
    begin
      Item := VarArrayGet(Items, [Low + I]);
      ToLibraryView(TVarData(Item), pharmex_array_item(Target.VArray, I)^);
    end;
  finally
    FillChar(TVarData(Items), SizeOf(TVarData), 0);
  end;
end;

procedure ToLibraryView(const Value: TVarData; var Target: TPxVariant);
var
  Plain: TVarData;
begin
  Plain := Dereferenced(Value);
  if (Plain.VType and varArray) <> 0 then
    ArrayToLibrary(Plain, Target)
  else
    case Plain.VType of
      varOleStr, varString, varUString:
        begin
          Target.VOleStr := LibraryString(UnicodeString(PVariant(@Plain)^));
          Target.VType := PX_VT_BSTR;
        end;
    else
      { numbers, dates, Booleans, decimals: the library reads them as they are }
      Move(Plain, Target, SizeOf(Target));
    end;
end;

procedure ToLibrary(var Value: OleVariant; var Target: TPxVariant);
begin
  ToLibraryView(TVarData(Value), Target);
end;

procedure FromLibrary(const Source: TPxVariant; var Target: OleVariant);
var
  Text: UnicodeString;
  Count, I: Integer;
  Item: OleVariant;
begin
  VarClear(Target);
  case Source.VType of
    PX_VT_BSTR:
      begin
        SetString(Text, Source.VOleStr, pharmex_string_length(Source.VOleStr));
        Target := Text;
      end;
    PX_VT_ARRAY_VARIANT:
      begin
        Count := pharmex_array_count(Source.VArray);
        Target := VarArrayCreate([0, Count - 1], varVariant);
        for I := 0 to Count - 1 do
        begin
          FromLibrary(pharmex_array_item(Source.VArray, I)^, Item);
          Target[I] := Item;
        end;
      end;
  else
    Move(Source, TVarData(Target), SizeOf(Source));
  end;
end;
{$ENDIF}

{ ---- the adapters: the tables the library calls, in its argument order }

type
  PAdapter = ^TAdapter;

  TFieldTable = record
    QueryInterface: function(Adapter: PAdapter; IID, Obj: PPointer): LongInt; stdcall;
    AddRef: function(Adapter: PAdapter): LongWord; stdcall;
    Release: function(Adapter: PAdapter): LongWord; stdcall;
    Name: function(Adapter: PAdapter): PWideChar; stdcall;
    DataType: function(Adapter: PAdapter): Byte; stdcall;
    Size: function(Adapter: PAdapter): LongInt; stdcall;
    Value: procedure(Slot: PPxVariant; Adapter: PAdapter); stdcall;
    SetValue: procedure(Adapter: PAdapter; Value: TPxVariant); stdcall;
  end;

  TReservedSlot = procedure(Adapter: PAdapter); stdcall;
  TDataSetTable = record
    QueryInterface: function(Adapter: PAdapter; IID, Obj: PPointer): LongInt; stdcall;
    AddRef: function(Adapter: PAdapter): LongWord; stdcall;
    Release: function(Adapter: PAdapter): LongWord; stdcall;
    FieldCount: function(Adapter: PAdapter): LongInt; stdcall;
    GetField: procedure(Slot: PPointer; Adapter: PAdapter; Index: LongInt); stdcall;
    FieldByName: procedure(Slot: PPointer; Adapter: PAdapter; Name: PWideChar); stdcall;
    First: procedure(Adapter: PAdapter); stdcall;
    Reserved1: TReservedSlot;
    Next: procedure(Adapter: PAdapter); stdcall;
    Reserved2: TReservedSlot;
    Reserved3: TReservedSlot;
    Eof: function(Adapter: PAdapter): Byte; stdcall;
    Locate: function(Adapter: PAdapter; KeyFields: PWideChar; Key: PPxVariant;
      Options: Byte): Byte; stdcall;
    Append: procedure(Adapter: PAdapter); stdcall;
    Edit: procedure(Adapter: PAdapter); stdcall;
    Post: procedure(Adapter: PAdapter); stdcall;
    Reserved4: TReservedSlot;
    RecordCount: function(Adapter: PAdapter): LongInt; stdcall;
  end;

  { What the library holds, for a dataset and for a field alike: the table
    first, as a COM object is laid out. The adapter holds one reference on
    the host's object (its IDataSet or IField, which Host keeps as it came)
    and drops it when the library (and the unit) released the adapter.
    Everything runs on the host's user-interface thread, so the counts need
    no locking. }
  TAdapter = record
    Table: Pointer;
    Refs: LongInt;
    Host: IUnknown;
  end;

function AdapterQueryInterface(Adapter: PAdapter; IID, Obj: PPointer): LongInt; stdcall;
begin
  Obj^ := nil;
  Result := E_NOINTERFACE; { never asked: the library knows what it holds }
end;

function AdapterAddRef(Adapter: PAdapter): LongWord; stdcall;
begin
  Inc(Adapter.Refs);
  Result := Adapter.Refs;
end;

function AdapterRelease(Adapter: PAdapter): LongWord; stdcall;
begin
  Dec(Adapter.Refs);
  Result := Adapter.Refs;
  if Result = 0 then
  try
    Dispose(Adapter); { drops the host's object }
  except
    ReportHostException;
  end;
end;

{ An adapter of Table holding one reference, which its creator drops; nil for nil. }
function NewAdapter(const Host: IUnknown; Table: Pointer): Pointer;
var
  Created: PAdapter;
begin
  Result := nil;
  if Host = nil then
    Exit;
  New(Created);
  Created.Table := Table;
  Created.Refs := 1;
  Created.Host := Host;
  Result := Created;
end;

{ IField }

function AdaptField(const Field: IField): Pointer; forward;

function FieldName(Adapter: PAdapter): PWideChar; stdcall;
begin
  Result := nil;
  try
    Result := IField(Adapter.Host).Name;
  except
    ReportHostException;
  end;
end;

function FieldDataType(Adapter: PAdapter): Byte; stdcall;
begin
  Result := Ord(ftUnknown);
  try
    Result := Ord(IField(Adapter.Host).DataType);
  except
    ReportHostException;
  end;
end;

function FieldSize(Adapter: PAdapter): LongInt; stdcall;
begin
  Result := 0;
  try
    Result := IField(Adapter.Host).Size;
  except
    ReportHostException;
  end;
end;

{ The slot the library passes is always empty; it receives Null on failure. }
procedure FieldValue(Slot: PPxVariant; Adapter: PAdapter); stdcall;
var
  Value: OleVariant;
begin
  FillChar(Slot^, SizeOf(TPxVariant), 0);
  Slot.VType := varNull;
  try
    Value := IField(Adapter.Host).Value;
    Slot.VType := varEmpty;
    ToLibrary(Value, Slot^);
  except
    ReportHostException;
  end;
end;

procedure FieldSetValue(Adapter: PAdapter; Value: TPxVariant); stdcall;
var
  Copy: OleVariant;
begin
  try
    FromLibrary(Value, Copy);
    IField(Adapter.Host).SetValue(Copy);
  except
    ReportHostException;
  end;
end;

const
  FieldTable: TFieldTable = (
    QueryInterface: AdapterQueryInterface;
    AddRef: AdapterAddRef;
    Release: AdapterRelease;
    Name: FieldName;
    DataType: FieldDataType;
    Size: FieldSize;
    Value: FieldValue;
    SetValue: FieldSetValue);

function AdaptField(const Field: IField): Pointer;
begin
  Result := NewAdapter(Field, @FieldTable);
end;

{ IDataSet }

function DataSetFieldCount(Adapter: PAdapter): LongInt; stdcall;
begin
  Result := 0;
  try
    Result := IDataSet(Adapter.Host).FieldCount;
  except
    ReportHostException;
  end;
end;

procedure DataSetGetField(Slot: PPointer; Adapter: PAdapter; Index: LongInt); stdcall;
begin
  Slot^ := nil;
  try
    Slot^ := AdaptField(IDataSet(Adapter.Host).GetField(Index));
  except
    ReportHostException;
  end;
end;

procedure DataSetFieldByName(Slot: PPointer; Adapter: PAdapter; Name: PWideChar); stdcall;
begin
  Slot^ := nil;
  try
    Slot^ := AdaptField(IDataSet(Adapter.Host).FieldByName(Name));
  except
    ReportHostException;
  end;
end;

type
  TCursorMove = (coFirst, coNext, coAppend, coEdit, coPost);

{ The cursor's operations without a result. }
procedure CursorMove(Adapter: PAdapter; Operation: TCursorMove);
var
  Host: IDataSet;
begin
  Host := IDataSet(Adapter.Host);
  try
    case Operation of
      coFirst: Host.First;
      coNext: Host.Next;
      coAppend: Host.Append;
      coEdit: Host.Edit;
      coPost: Host.Post;
    end;
  except
    ReportHostException;
  end;
end;

procedure DataSetFirst(Adapter: PAdapter); stdcall;
begin
  CursorMove(Adapter, coFirst);
end;

procedure DataSetNext(Adapter: PAdapter); stdcall;
begin
  CursorMove(Adapter, coNext);
end;

procedure DataSetReserved(Adapter: PAdapter); stdcall;
begin
end;

function DataSetEof(Adapter: PAdapter): Byte; stdcall;
begin
  Result := 1;
  try
    Result := Ord(IDataSet(Adapter.Host).Eof);
  except
    ReportHostException;
  end;
end;

function DataSetLocate(Adapter: PAdapter; KeyFields: PWideChar; Key: PPxVariant;
  Options: Byte): Byte; stdcall;
var
  KeyValues: OleVariant;
begin
  Result := 0;
  try
    if Key = nil then
      KeyValues := Null
    else
      FromLibrary(Key^, KeyValues);
    Result := Ord(IDataSet(Adapter.Host).Locate(KeyFields, KeyValues, TLocateOptions(Options)));
  except
    ReportHostException;
  end;
end;

procedure DataSetAppend(Adapter: PAdapter); stdcall;
begin
  CursorMove(Adapter, coAppend);
end;

procedure DataSetEdit(Adapter: PAdapter); stdcall;
begin
  CursorMove(Adapter, coEdit);
end;

procedure DataSetPost(Adapter: PAdapter); stdcall;
begin
  CursorMove(Adapter, coPost);
end;

function DataSetRecordCount(Adapter: PAdapter): LongInt; stdcall;
begin
  Result := 0;
  try
    Result := IDataSet(Adapter.Host).RecordCount;
  except
    ReportHostException;
  end;
end;

const
  DataSetTable: TDataSetTable = (
    QueryInterface: AdapterQueryInterface;
    AddRef: AdapterAddRef;
    Release: AdapterRelease;
    FieldCount: DataSetFieldCount;
    GetField: DataSetGetField;
    FieldByName: DataSetFieldByName;
    First: DataSetFirst;
    Reserved1: DataSetReserved;
    Next: DataSetNext;
    Reserved2: DataSetReserved;
    Reserved3: DataSetReserved;
    Eof: DataSetEof;
    Locate: DataSetLocate;
    Append: DataSetAppend;
    Edit: DataSetEdit;
    Post: DataSetPost;
    Reserved4: DataSetReserved;
    RecordCount: DataSetRecordCount);

{ An adapter holding one reference, which the entry point drops when it
  returns (a dialog keeps its own); nil for nil. }
function Adapt(const DataSet: IDataSet): Pointer;
begin
  Result := NewAdapter(DataSet, @DataSetTable);
end;

procedure Drop(var Adapter: Pointer);
begin
  if Adapter <> nil then
    AdapterRelease(PAdapter(Adapter));
  Adapter := nil;
end;

{ ---- the entry points }

type
  TOneSetEntry = procedure(Window: TPxWindow; Data: Pointer; Progress: TPxProgressProc;
    Start, Finish: TPxNotifyProc); stdcall;
  TTwoSetEntry = procedure(Window: TPxWindow; Headers, Lines: Pointer;
    Progress: TPxProgressProc; Start, Finish: TPxNotifyProc); stdcall;

procedure CallOne(Entry: TOneSetEntry; Window: TPxWindow; const DataSet: IDataSet;
  Progress: TPxProgressProc; Start, Finish: TPxNotifyProc);
var
  Data: Pointer;
begin
  Data := Adapt(DataSet);
  try
    Entry(Window, Data, Progress, Start, Finish);
  finally
    Drop(Data);
  end;
  CheckLastError;
end;

procedure CallTwo(Entry: TTwoSetEntry; Window: TPxWindow; const Headers, Lines: IDataSet;
  Progress: TPxProgressProc; Start, Finish: TPxNotifyProc);
var
  Head, Body: Pointer;
begin
  Head := Adapt(Headers);
  Body := Adapt(Lines);
  try
    Entry(Window, Head, Body, Progress, Start, Finish);
  finally
    Drop(Head);
    Drop(Body);
  end;
  CheckLastError;
end;

procedure supplier_export(Window: TPxWindow; const Suppliers: IDataSet;
  Progress: TPxProgressProc; Start, Finish: TPxNotifyProc);
begin
  CallOne(lib_supplier_export, Window, Suppliers, Progress, Start, Finish);
end;

procedure price_export(Window: TPxWindow; const Prices: IDataSet;
  Progress: TPxProgressProc; Start, Finish: TPxNotifyProc);
begin
  CallOne(lib_price_export, Window, Prices, Progress, Start, Finish);
end;

procedure price_export_to_file(const Prices: IDataSet; const Path: string);
var
  Data: Pointer;
  Target: TLibraryText;
begin
  Target := LibraryText(Path);
  Data := Adapt(Prices);
  try
    lib_price_export_to_file(Data, PAnsiChar(Target));
  finally
    Drop(Data);
  end;
  CheckLastError;
end;

procedure order_export(Window: TPxWindow; const Headers, Lines: IDataSet;
  Progress: TPxProgressProc; Start, Finish: TPxNotifyProc);
begin
  CallTwo(lib_order_export, Window, Headers, Lines, Progress, Start, Finish);
end;

procedure waybill_export(Window: TPxWindow; const Headers, Lines: IDataSet;
  Progress: TPxProgressProc; Start, Finish: TPxNotifyProc);
begin
  CallTwo(lib_waybill_export, Window, Headers, Lines, Progress, Start, Finish);
end;

procedure waybill_export_ToPath(Window: TPxWindow; const Headers, Lines: IDataSet;
  Progress: TPxProgressProc; Start, Finish: TPxNotifyProc; const Folder: string;
  FileType: Integer);
var
  Head, Body: Pointer;
  Target: TLibraryText;
begin
  Target := LibraryText(Folder);
  Head := Adapt(Headers);
  Body := Adapt(Lines);
  try
    lib_waybill_export_ToPath(Window, Head, Body, Progress, Start, Finish, PAnsiChar(Target),
      FileType);
  finally
    Drop(Head);
    Drop(Body);
  end;
  CheckLastError;
end;

procedure order_import(Window: TPxWindow; const Prices, Second, Lines: IDataSet;
  Progress: TPxProgressProc; Start, Finish: TPxNotifyProc);
var
  First, Held, Order: Pointer;
begin
  First := Adapt(Prices);
  Held := Adapt(Second);
  Order := Adapt(Lines);
  try
    lib_order_import(Window, First, Held, Order, Progress, Start, Finish);
  finally
    Drop(First);
    Drop(Held);
    Drop(Order);
  end;
  CheckLastError;
end;

procedure order_import_from_file(const Prices, Second, Lines: IDataSet;
  const Path: string);
var
  First, Held, Order: Pointer;
  Source: TLibraryText;
begin
  Source := LibraryText(Path);
  First := Adapt(Prices);
  Held := Adapt(Second);
  Order := Adapt(Lines);
  try
    lib_order_import_from_file(First, Held, Order, PAnsiChar(Source));
  finally
    Drop(First);
    Drop(Held);
    Drop(Order);
  end;
  CheckLastError;
end;

{ ---- the pharmex_* functions }

function pharmex_last_error: string;
begin
  Result := FromUtf8(lib_last_error);
end;

function pharmex_version: string;
begin
  Result := FromUtf8(lib_version);
end;

function pharmex_set_regional_settings(const DecimalSeparator,
  ShortDatePattern: string): Integer;
var
  Separator, Pattern: UTF8String;
begin
  Separator := ToUtf8(DecimalSeparator);
  Pattern := ToUtf8(ShortDatePattern);
  Result := lib_set_regional_settings(OptionalText(Separator), OptionalText(Pattern));
end;

function pharmex_dialog_answer(const Path: string; FileType: Integer): Integer;
var
  Target: TLibraryText;
begin
  Target := LibraryText(Path);
  Result := lib_dialog_answer(PAnsiChar(Target), FileType);
end;

function pharmex_dialog_cancel: Integer;
begin
  Result := lib_dialog_cancel;
end;

procedure pharmex_report_host_failure(const Message: string);
var
  Text: UTF8String;
begin
  Text := ToUtf8(Message);
  lib_report_host_failure(PAnsiChar(Text));
end;

initialization
  pharmex_set_failure_mode(PX_FAILURE_RECORD);
end.
