object frmAbout: TfrmAbout
  Left = 522
  Top = 227
  BorderStyle = bsDialog
  Caption = 'frmAbout'
  ClientHeight = 146
  ClientWidth = 433
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OldCreateOrder = False
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 13
  object ZKScrollingLabel: TZKScrollingLabel
    Left = 13
    Top = 112
    Width = 292
    Height = 13
    Autosize = False
    ScrollDirection = sdRightToLeft
    Text = 'www.example.org'
  end
  object zkhotlnkAuthor: TZKHotLink
    Left = 64
    Top = 48
    Width = 233
    Height = 13
    Cursor = crHandPoint
    Alignment = taCenter
    AutoSize = False
    Caption = 'zkhotlnkAuthor'
    Layout = tlCenter
    ColorOnEnter = clBlue
    Url = 'mailto:someone@example.org'
  end
  object zkhotlnkWebPage: TZKHotLink
    Left = 64
    Top = 80
    Width = 233
    Height = 13
    Cursor = crHandPoint
    Alignment = taCenter
    AutoSize = False
    Caption = 'zkhotlnkWebPage'
    Layout = tlCenter
    ColorOnEnter = clBlue
    Url = 'http://www.example.org'
  end
  object rzlblProductVersion: TRzLabel
    Left = 64
    Top = 16
    Width = 90
    Height = 13
    Caption = 'rzlblProductVersion'
    Layout = tlTop
    BevelWidth = 0
    FrameSides = []
  end
  object zkbtnOk: TZKBitBtn
    Left = 344
    Top = 24
    Width = 75
    Height = 25
    TabOrder = 0
    Kind = bkOK
  end
end
